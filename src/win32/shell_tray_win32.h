#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "platform/platform.h"
#include "win32/win32.h"

#include <shellapi.h>

namespace tavrio::win32 {

// The 488-byte 32-bit record as this build's own NOTIFYICONDATAA.
NOTIFYICONDATAA nativeTrayRecord(const TrayRecordBytes& record);

// Hands the shell a record only when it would change what the shell shows: a modify that repeats the icon's
// picture, tip and callback is answered here, because the shell redraws the icon for every modify it gets.
// Adds, deletes and balloons always go.
class ShellTrayWin32 final : public ShellTray {
public:
    using NotifyFunction = BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAA);
    explicit ShellTrayWin32(NotifyFunction notify = Shell_NotifyIconA) : notify_(notify) {}

    bool notifyIcon(TrayMessage message, const TrayRecordBytes& record) override;

private:
    // What the shell shows for one icon; a field is known only once a successful call has set it.
    struct Shown {
        bool hasPicture = false, hasTip = false, hasCallback = false;
        HICON picture = nullptr;
        std::string tip;
        UINT callback = 0;
    };
    using IconKey = std::pair<HWND, UINT>;

    NotifyFunction notify_;
    std::map<IconKey, Shown> shown_;
};

}  // namespace tavrio::win32
