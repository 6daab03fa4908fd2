#pragma once

#include "platform/platform.h"

namespace tavrio::win32 {

class ProcessStarterWin32 final : public ProcessStarter {
public:
    StartResult startSupervised(const std::string& applicationPath, WindowMode mode) override;
    StartResult startCommandLine(const std::string& commandLine, WindowMode mode) override;
    StartResult startNotepad(const std::string& filePath) override;
};

}  // namespace tavrio::win32
