// The QR-code display control: a child window whose text is the data it shows as a QR code (level M, a quiet
// zone of four modules, black on white, centred). Its text is set and read as any window's (WM_SETTEXT /
// WM_GETTEXT), so a test can read back what the control encodes.
#pragma once

#include "win32/win32.h"

namespace tavrio::win32 {

inline constexpr wchar_t kQrCodeClassName[] = L"TavrioQrCode";

// Registers the window class once; false when Windows refused it.
bool registerQrCodeClass(HINSTANCE instance);

// Where a symbol of `modules` modules a side (quiet zone included) lands in a `width` x `height` area: whole
// pixels per module whenever the area allows one, centred. Module i's left edge is edge(i), its right edge
// edge(i + 1).
struct QrPlacement {
    int modules = 0;
    int side = 0;  // pixels the whole symbol covers
    int left = 0, top = 0;
    int edge(int i) const { return modules > 0 ? i * side / modules : 0; }
};
QrPlacement placeQr(int modules, int width, int height);

}  // namespace tavrio::win32
