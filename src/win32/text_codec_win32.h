#pragma once

#include "platform/platform.h"

namespace tavrio::win32 {

class TextCodecWin32 final : public TextCodec {
public:
    std::string ansiToUtf8(const std::string& ansiBytes) override;
    std::string utf8ToAnsi(const std::string& utf8) override;
    std::string toUpper(const std::string& utf8) override;
};

}  // namespace tavrio::win32
