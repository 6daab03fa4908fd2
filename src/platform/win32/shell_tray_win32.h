#pragma once

#include "platform/platform.h"
#include "platform/win32/win32.h"

#include <shellapi.h>

namespace tavrio::win32 {

// The 488-byte 32-bit record as this build's own NOTIFYICONDATAA.
NOTIFYICONDATAA nativeTrayRecord(const TrayRecordBytes& record);

class ShellTrayWin32 final : public ShellTray {
public:
    bool notifyIcon(TrayMessage message, const TrayRecordBytes& record) override;
};

}  // namespace tavrio::win32
