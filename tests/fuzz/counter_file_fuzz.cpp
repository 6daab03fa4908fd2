// The counter file -> its last line, read from the end in chunks, equal to a reading of the whole file for any
// bytes, chunk size and line cap.
#include "app/counter_file.h"
#include "fuzz_support.h"

using namespace tavrio;

namespace {

class OneFile final : public FileSystem {
public:
    explicit OneFile(std::string content) : content_(std::move(content)) {}
    bool isPlainFile(const std::string&) override { return true; }
    bool deleteFile(const std::string&) override { return false; }
    bool appendBytes(const std::string&, std::string_view) override { return false; }
    bool renameReplacing(const std::string&, const std::string&) override { return false; }
    std::optional<std::uint64_t> fileSize(const std::string&) override { return content_.size(); }
    std::optional<std::string> readBytes(const std::string&, std::uint64_t offset, std::uint64_t length) override {
        FUZZ_CHECK(offset <= content_.size());
        return content_.substr(offset, length);
    }

private:
    std::string content_;
};

// Lines end at CR LF or CR; a line end at the very end closes the last line instead of starting an empty one.
std::optional<std::string> lastLineByHand(const std::string& content) {
    if (content.empty()) return std::nullopt;
    std::vector<std::string> lines{""};
    for (std::size_t i = 0; i < content.size(); ++i) {
        if (content[i] != '\r') {
            lines.back() += content[i];
            continue;
        }
        if (i + 1 < content.size() && content[i + 1] == '\n') ++i;
        lines.emplace_back();
    }
    const bool endsWithLineEnd =
        content.back() == '\r' || (content.size() >= 2 && content.substr(content.size() - 2) == "\r\n");
    if (endsWithLineEnd) lines.pop_back();
    return lines.back();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::uint64_t chunk = data[0] % 64 + 1, maxLine = data[1] % 2 ? 1 << 20 : data[1] % 64 + 1;
    const std::string content(reinterpret_cast<const char*>(data) + 2, size - 2);
    OneFile file(content);
    const LastLine line = readLastLine(file, "C:\\panel\\count.txt", chunk, maxLine);
    const std::optional<std::string> expected = lastLineByHand(content);
    FUZZ_CHECK(line.readable && line.hasLine == expected.has_value());
    if (!expected) return 0;
    FUZZ_CHECK(line.line == expected->substr(expected->size() - std::min<std::size_t>(expected->size(), maxLine)));
    FUZZ_CHECK(lastLineOf(content).line == *expected);
    return 0;
}
