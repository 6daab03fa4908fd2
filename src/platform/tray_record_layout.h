// The byte layout of the record the shell's notification area takes: the 32-bit, ANSI form (488 bytes,
// little-endian). The core writes it and the Win32 layer reads it into the native structure.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tavrio {

constexpr std::size_t kTrayRecordSize = 488;
using TrayRecordBytes = std::array<std::uint8_t, kTrayRecordSize>;

// Where each field starts; the texts' widths are in characters, one byte each in the ANSI form.
namespace tray_field {
constexpr std::size_t cbSize = 0, hWnd = 4, uID = 8, uFlags = 12, uCallbackMessage = 16, hIcon = 20;
constexpr std::size_t szTip = 24, kTipChars = 128;
constexpr std::size_t dwState = 152, dwStateMask = 156;
constexpr std::size_t szInfo = 160, kInfoChars = 256;
constexpr std::size_t uTimeout = 416;
constexpr std::size_t szInfoTitle = 420, kInfoTitleChars = 64;
constexpr std::size_t dwInfoFlags = 484;
static_assert(szTip + kTipChars == dwState && szInfo + kInfoChars == uTimeout &&
              szInfoTitle + kInfoTitleChars == dwInfoFlags && dwInfoFlags + 4 == kTrayRecordSize);
}  // namespace tray_field

inline std::uint32_t readTray32(const TrayRecordBytes& record, std::size_t offset) {
    std::uint32_t value = 0;
    for (std::size_t i = 4; i-- > 0;) value = (value << 8) | record[offset + i];
    return value;
}

inline void writeTray32(TrayRecordBytes& record, std::size_t offset, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) record[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace tavrio
