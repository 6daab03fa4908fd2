#pragma once

#include "platform/platform.h"

namespace tavrio::win32 {

class FileSystemWin32 final : public FileSystem {
public:
    bool isPlainFile(const std::string& path) override;
    bool deleteFile(const std::string& path) override;
    std::optional<std::uint64_t> fileSize(const std::string& path) override;
    std::optional<std::string> readBytes(const std::string& path, std::uint64_t offset, std::uint64_t length) override;
    bool appendBytes(const std::string& path, std::string_view bytes) override;
    bool renameReplacing(const std::string& from, const std::string& to) override;
};

}  // namespace tavrio::win32
