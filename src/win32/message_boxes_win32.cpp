#include "win32/message_boxes_win32.h"

#include "win32/wide_text.h"
#include "win32/win32.h"

#include <string_view>
#include <vector>

namespace tavrio::win32 {
namespace {

// The boxes open on this thread in the order they were shown (a nested one always returns first), null where the
// dialog is unknown: MessageBoxW keeps its dialog to itself, so each show notes the dialog it creates through a hook
// that lives as long as its box.
thread_local std::vector<HWND> openBoxes;

LRESULT CALLBACK noteTheBox(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && !openBoxes.empty() && openBoxes.back() == nullptr) {
        wchar_t className[16] = {};
        const HWND window = reinterpret_cast<HWND>(wParam);
        if (GetClassNameW(window, className, 16) > 0 && std::wstring_view(className) == L"#32770")
            openBoxes.back() = window;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

// A box whose hook failed stays unknown and is never closed: closing another in its place could end a box the user
// still has to read.
void MessageBoxesWin32::closeBox(std::size_t depth) {
    if (depth == 0 || depth > openBoxes.size()) return;
    const HWND box = openBoxes[depth - 1];
    if (box != nullptr && IsWindow(box)) PostMessageW(box, WM_COMMAND, IDOK, 0);
}

void MessageBoxesWin32::closeAll() {
    for (const HWND box : openBoxes) {
        if (box != nullptr && IsWindow(box)) PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
}

void MessageBoxesWin32::show(const std::string& text, MessageIcon icon) {
    UINT style = MB_OK;
    if (icon == MessageIcon::Error) style |= MB_ICONERROR;
    // The owner is usually hidden (the program lives in the tray); without this the box can open behind
    // whatever the user is working in.
    style |= MB_SETFOREGROUND;
    openBoxes.push_back(nullptr);
    HHOOK hook = SetWindowsHookExW(WH_CBT, noteTheBox, nullptr, GetCurrentThreadId());
    MessageBoxW(fromHandle32<HWND>(owner_.windowHandle()), widen(text).c_str(), kProgramTitle, style);
    if (hook != nullptr) UnhookWindowsHookEx(hook);
    openBoxes.pop_back();
}

}  // namespace tavrio::win32
