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
