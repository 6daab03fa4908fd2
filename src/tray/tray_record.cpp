#include "tray/tray_record.h"

#include <cstring>

#include "text/utf8.h"

namespace tavrio {
namespace {

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
    writeTray32(out, tray_field::cbSize, this->cbSize);
    writeTray32(out, tray_field::hWnd, this->hWnd);
    writeTray32(out, tray_field::uID, this->uID);
    writeTray32(out, tray_field::uFlags, this->uFlags);
    writeTray32(out, tray_field::uCallbackMessage, this->uCallbackMessage);
    writeTray32(out, tray_field::hIcon, this->hIcon);
    putText(out, tray_field::szTip, fixedAnsiField(this->szTip, tray_field::kTipChars, codec));
    // dwState and dwStateMask stay 0.
    putText(out, tray_field::szInfo, fixedAnsiField(this->szInfo, tray_field::kInfoChars, codec));
    writeTray32(out, tray_field::uTimeout, this->uTimeout);
    putText(out, tray_field::szInfoTitle, fixedAnsiField(this->szInfoTitle, tray_field::kInfoTitleChars, codec));
    writeTray32(out, tray_field::dwInfoFlags, this->dwInfoFlags);
    return out;
}

}  // namespace tavrio
