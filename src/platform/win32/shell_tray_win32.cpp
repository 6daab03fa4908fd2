#include "platform/win32/shell_tray_win32.h"

#include <cstring>

namespace tavrio::win32 {
namespace {

template <std::size_t N>
void copyText(char (&field)[N], const TrayRecordBytes& record, std::size_t offset) {
    static_assert(N > 0);
    std::memcpy(field, record.data() + offset, N);
    // A text that fills its field carries no NUL in the record; the shell must still find an end.
    field[N - 1] = '\0';
}

}  // namespace

NOTIFYICONDATAA nativeTrayRecord(const TrayRecordBytes& record) {
    NOTIFYICONDATAA data{};
    static_assert(sizeof data.szTip == tray_field::kTipChars && sizeof data.szInfo == tray_field::kInfoChars &&
                  sizeof data.szInfoTitle == tray_field::kInfoTitleChars);
    // The shell reads cbSize to know which layout it was given; the native one is the larger, 64-bit one.
    data.cbSize = sizeof data;
    data.hWnd = fromHandle32<HWND>(readTray32(record, tray_field::hWnd));
    data.uID = readTray32(record, tray_field::uID);
    data.uFlags = readTray32(record, tray_field::uFlags);
    data.uCallbackMessage = readTray32(record, tray_field::uCallbackMessage);
    data.hIcon = fromHandle32<HICON>(readTray32(record, tray_field::hIcon));
    copyText(data.szTip, record, tray_field::szTip);
    data.dwState = readTray32(record, tray_field::dwState);
    data.dwStateMask = readTray32(record, tray_field::dwStateMask);
    copyText(data.szInfo, record, tray_field::szInfo);
    data.uTimeout = readTray32(record, tray_field::uTimeout);
    copyText(data.szInfoTitle, record, tray_field::szInfoTitle);
    data.dwInfoFlags = readTray32(record, tray_field::dwInfoFlags);
    return data;
}

bool ShellTrayWin32::notifyIcon(TrayMessage message, const TrayRecordBytes& record) {
    NOTIFYICONDATAA data = nativeTrayRecord(record);
    return Shell_NotifyIconA(static_cast<DWORD>(message), &data) != FALSE;
}

}  // namespace tavrio::win32
