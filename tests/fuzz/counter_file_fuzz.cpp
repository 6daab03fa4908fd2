// The counter file -> its last line, read from the end in chunks, equal to a reading of the whole file for any
// bytes, chunk size and line cap.
#include "app/counter_file.h"
#include "fuzz_support.h"
#include "last_line_oracle.h"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::uint64_t chunk = data[0] % 64 + 1, maxLine = data[1] % 2 ? 1 << 20 : data[1] % 64 + 1;
    const std::string content(reinterpret_cast<const char*>(data) + 2, size - 2);
    OneFile file(content);
    const LastLine line = readLastLine(file, "C:\\panel\\count.txt", chunk, maxLine);
    const std::optional<std::string> expected = testing::lastLineReadFromTheStart(content);
    FUZZ_CHECK(line.readable && line.hasLine == expected.has_value());
    if (!expected) return 0;
    FUZZ_CHECK(line.line == expected->substr(expected->size() - std::min<std::size_t>(expected->size(), maxLine)));
    return 0;
}
