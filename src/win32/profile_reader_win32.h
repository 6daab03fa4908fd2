#pragma once

#include "platform/platform.h"

namespace tavrio::win32 {

class ProfileReaderWin32 final : public ProfileReader {
public:
    std::string readString(const std::string& file, const std::string& section, const std::string& key,
                           const std::string& defaultValue, std::uint32_t bufferSize) override;
};

}  // namespace tavrio::win32
