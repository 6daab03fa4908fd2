#include "win32/message_boxes_win32.h"

#include "win32/wide_text.h"
#include "win32/win32.h"

namespace tavrio::win32 {

void MessageBoxesWin32::show(const std::string& text, MessageIcon icon) {
    UINT style = MB_OK;
    if (icon == MessageIcon::Error) style |= MB_ICONERROR;
    // The owner is usually hidden (the program lives in the tray); without this the box can open behind
    // whatever the user is working in.
    style |= MB_SETFOREGROUND;
    MessageBoxW(fromHandle32<HWND>(owner_.windowHandle()), widen(text).c_str(), kProgramTitle, style);
}

}  // namespace tavrio::win32
