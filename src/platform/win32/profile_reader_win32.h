#pragma once

#include "platform/platform.h"

namespace tavrio::win32 {

class ProfileReaderWin32 final : public ProfileReader {
public:
    explicit ProfileReaderWin32(TextCodec& codec) : codec_(codec) {}
    std::string readString(const std::string& file, const std::string& section, const std::string& key,
                           const std::string& defaultValue, std::uint32_t bufferSize) override;

private:
    TextCodec& codec_;
};

}  // namespace tavrio::win32
