#include "app/counter_file.h"

#include <algorithm>

namespace tavrio {
namespace {

// The last line of `tail` (the file's final bytes), if its start lies within `tail`; `atFileStart` says
// whether `tail` begins at the file's first byte.
std::optional<std::string> lastLineWithin(const std::string& tail, bool atFileStart) {
    std::size_t end = tail.size();
    if (end >= 2 && tail[end - 2] == '\r' && tail[end - 1] == '\n')
        end -= 2;
    else if (end >= 1 && tail[end - 1] == '\r')
        end -= 1;
    const std::size_t cr = end == 0 ? std::string::npos : tail.rfind('\r', end - 1);
    if (cr == std::string::npos) {
        if (!atFileStart) return std::nullopt;
        return tail.substr(0, end);
    }
    std::size_t begin = cr + 1;
    if (begin < end && tail[begin] == '\n') ++begin;  // CR LF counts as one line end
    return tail.substr(begin, end - begin);
}

}  // namespace

LastLine readLastLine(FileSystem& files, const std::string& path, std::uint64_t chunkBytes,
                      std::uint64_t maxLineBytes) {
    LastLine result;
    const std::optional<std::uint64_t> size = files.fileSize(path);
    if (!size) return result;
    if (*size == 0) {
        result.readable = true;
        return result;
    }
    // The last line plus its end, and one byte before it for the CR that ends the line before.
    const std::uint64_t limit = std::min(*size, maxLineBytes + 3);
    for (std::uint64_t window = std::min(*size, std::max<std::uint64_t>(chunkBytes, 3));;
         window = std::min(limit, window * 2)) {
        const std::optional<std::string> tail = files.readBytes(path, *size - window, window);
        if (!tail || tail->size() != window) return result;  // changed or unreadable meanwhile: try next time
        std::optional<std::string> line = lastLineWithin(*tail, window == *size);
        if (line) {
            // The first window can be wider than the cap.
            if (line->size() > maxLineBytes) line->erase(0, line->size() - maxLineBytes);
            result = {true, true, *line};
            return result;
        }
        if (window >= limit) {
            // A line longer than anyone can read: keep its end.
            std::string end = *lastLineWithin(*tail, true);
            if (end.size() > maxLineBytes) end.erase(0, end.size() - maxLineBytes);
            result = {true, true, end};
            return result;
        }
    }
}

}  // namespace tavrio
