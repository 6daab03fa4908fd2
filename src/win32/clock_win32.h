#pragma once

#include "platform/platform.h"

namespace tavrio::win32 {

class ClockWin32 final : public Clock {
public:
    void sleepMs(std::uint32_t milliseconds) override;
    std::uint64_t nowMs() override;
    LocalTime localTime() override;
};

}  // namespace tavrio::win32
