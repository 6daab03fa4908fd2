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
    // Whole characters only, and the NUL always inside the field: the shell must never read past it, nor see
    // half of a double-byte character at the end.
    std::string out;
    for (const std::string& ch : splitCodePoints(utf8)) {
        const std::string ansi = ch == std::string(1, '\0') ? ch : codec.utf8ToAnsi(ch);
        if (out.size() + ansi.size() + 1 > width) break;
        out += ansi;
    }
    if (out.size() < width) out += '\0';
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
