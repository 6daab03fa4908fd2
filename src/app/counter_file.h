// The last line of the bot's message-counter file, read from the file's end so that its cost does not grow
// with the file. Lines end at CR or at CR LF (the pair counts once); a lone LF stays in the line's text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace tavrio {

struct LastLine {
    bool readable = false;  // false: the file could not be opened or read
    bool hasLine = false;   // false: the file is empty
    std::string line;       // raw bytes, in the ANSI code page
};

// `chunkBytes` is how much is read at a time from the end; a last line longer than `maxLineBytes` is
// returned as its final `maxLineBytes` bytes.
LastLine readLastLine(FileSystem& files, const std::string& path, std::uint64_t chunkBytes = 4096,
                      std::uint64_t maxLineBytes = kMaxCounterLineBytes);

}  // namespace tavrio
