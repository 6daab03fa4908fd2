// The font of every control: the scalable form of "MS Sans Serif" at 8.25 pt and the screen's DPI (bold for the
// bold labels), so the text grows with the layout. Free of windows.h, so the tests outside the program use it too.
#pragma once

namespace tavrio::win32 {

inline constexpr wchar_t kPanelFontFace[] = L"Microsoft Sans Serif";

// The height to ask CreateFont for (negative: the em height in pixels). Rounded down, so that the text never grows
// faster than the layout around it: rounded up at 144 DPI it came out 3 % wider and no longer fit its label.
constexpr int panelFontHeight(int dpiY) { return -(825 * dpiY / 7200); }

}  // namespace tavrio::win32
