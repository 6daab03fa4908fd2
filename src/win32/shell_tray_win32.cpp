#include "win32/shell_tray_win32.h"

#include <cstring>

namespace tavrio::win32 {
namespace {

// The record's text fields always hold their NUL (TrayRecord::bytes).
template <std::size_t N>
void copyText(char (&field)[N], const TrayRecordBytes& record, std::size_t offset) {
    std::memcpy(field, record.data() + offset, N);
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
    const IconKey key{data.hWnd, data.uID};
    const auto dword = static_cast<DWORD>(message);

    if (message == TrayMessage::Delete) {
        shown_.erase(key);
        return notify_(dword, &data) != FALSE;
    }
    if (message == TrayMessage::Modify) {
        const auto found = shown_.find(key);
        constexpr UINT kComparable = NIF_ICON | NIF_TIP | NIF_MESSAGE;
        if (found != shown_.end() && (data.uFlags & ~kComparable) == 0) {
            const Shown& now = found->second;
            // A USER handle carries a reuse count beside its slot, so an icon made after another was destroyed
            // never has the old one's value: the same handle is the same picture.
            const bool samePicture = !(data.uFlags & NIF_ICON) || (now.hasPicture && now.picture == data.hIcon);
            const bool sameTip = !(data.uFlags & NIF_TIP) || (now.hasTip && now.tip == data.szTip);
            const bool sameCallback =
                !(data.uFlags & NIF_MESSAGE) || (now.hasCallback && now.callback == data.uCallbackMessage);
            if (samePicture && sameTip && sameCallback) return true;
        }
    }

    const bool accepted = notify_(dword, &data) != FALSE;
    // An add starts from an empty icon (after TaskbarCreated the shell shows nothing). A refused call leaves
    // the fields it carried unknown, so the next call that carries them goes.
    if (message == TrayMessage::Add) {
        if (!accepted) {
            shown_.erase(key);
            return false;
        }
        shown_[key] = Shown{};
    }
    // A modify the shell took for an icon not known here (an add it refused because the icon was still there)
    // shows the icon exists: the fields it did not carry stay unknown.
    if (message == TrayMessage::Modify && accepted) shown_.try_emplace(key);
    const auto found = shown_.find(key);
    if (found == shown_.end()) return accepted;
    Shown& now = found->second;
    if (data.uFlags & NIF_ICON) {
        now.hasPicture = accepted;
        now.picture = data.hIcon;
    }
    if (data.uFlags & NIF_TIP) {
        now.hasTip = accepted;
        now.tip = data.szTip;
    }
    if (data.uFlags & NIF_MESSAGE) {
        now.hasCallback = accepted;
        now.callback = data.uCallbackMessage;
    }
    return accepted;
}

}  // namespace tavrio::win32
