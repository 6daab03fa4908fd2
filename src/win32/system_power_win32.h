#pragma once

#include "platform/platform.h"

namespace tavrio::win32 {

class SystemPowerWin32 final : public SystemPower {
public:
    bool onMainsPower() override;
    void keepSystemAwake(bool awake) override;
    void registerForRestart() override;
};

}  // namespace tavrio::win32
