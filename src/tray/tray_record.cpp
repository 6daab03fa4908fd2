#include "tray/tray_record.h"

#include <cstring>

#include "text/utf8.h"

namespace tavrio {
namespace {

void put32(TrayRecordBytes& out, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void putText(TrayRecordBytes& out, std::size_t offset, const std::string& field) {
    std::memcpy(out.data() + offset, field.data(), field.size());
}

}  // namespace

std::string fixedAnsiField(const std::string& utf8, std::size_t width, TextCodec& codec) {
    std::vector<std::string> chars = splitCodePoints(utf8);
    chars.push_back(std::string(1, '\0'));
    chars.resize(std::max(chars.size(), width), " ");
    chars.resize(width);
    std::string out;
    for (const std::string& ch : chars) out += (ch == std::string(1, '\0')) ? ch : codec.utf8ToAnsi(ch);
    // A multi-byte code page can make the field longer than its width in bytes; the shell reads no further.
    out.resize(width, ' ');
    return out;
}

TrayRecordBytes TrayRecord::bytes(TextCodec& codec) const {
    TrayRecordBytes out{};
    put32(out, 0, cbSize);
    put32(out, 4, hWnd);
    put32(out, 8, uID);
    put32(out, 12, uFlags);
    put32(out, 16, uCallbackMessage);
    put32(out, 20, hIcon);
    putText(out, 24, fixedAnsiField(szTip, kTipChars, codec));
    // 152 dwState and 156 dwStateMask stay 0.
    putText(out, 160, fixedAnsiField(szInfo, kInfoChars, codec));
    put32(out, 416, uTimeout);
    putText(out, 420, fixedAnsiField(szInfoTitle, kInfoTitleChars, codec));
    put32(out, 484, dwInfoFlags);
    return out;
}

}  // namespace tavrio
