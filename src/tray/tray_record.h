// The record handed to the shell for the notification-area icon, in its 32-bit ANSI layout (488 bytes).
// The texts are kept as the shell will see them: the text and one NUL, padded with spaces to the field's width
// and cut there; the NUL always lies inside the field.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace tavrio {

namespace nif {
constexpr std::uint32_t Message = 0x01, Icon = 0x02, Tip = 0x04, Info = 0x10;
}

struct TrayRecord {
    std::uint32_t cbSize = 0;
    std::uint32_t hWnd = 0;
    std::uint32_t uID = 0;
    std::uint32_t uFlags = 0;
    std::uint32_t uCallbackMessage = 0;
    std::uint32_t hIcon = 0;
    std::string szTip;  // UTF-8, unpadded; padding and cutting happen in `bytes`
    std::string szInfo;
    std::uint32_t uTimeout = 0;
    std::string szInfoTitle;
    std::uint32_t dwInfoFlags = 0;

    // The record as the shell receives it; texts converted character by character to the ANSI code page.
    TrayRecordBytes bytes(TextCodec& codec) const;
};

// A text as one fixed-width field: the text's characters, converted one by one to the ANSI code page, as far
// as whole characters and the NUL fit; then the NUL; then spaces to the field's width.
std::string fixedAnsiField(const std::string& utf8, std::size_t width, TextCodec& codec);

}  // namespace tavrio
