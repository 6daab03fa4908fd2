// The message-counter refresh on a big counter file: reading its last line from the end against reading the whole
// file, on a real file of about 100 MB. Both must give the same line.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "app/counter_file.h"
#include "last_line_oracle.h"

namespace {

// Real files through stdio: what the counter refresh costs on disk.
class DiskFiles : public tavrio::FileSystem {
public:
    bool isPlainFile(const std::string& path) override { return std::ifstream(path).good(); }
    bool deleteFile(const std::string& path) override { return std::remove(path.c_str()) == 0; }
    bool appendBytes(const std::string&, std::string_view) override { return false; }
    bool renameReplacing(const std::string&, const std::string&) override { return false; }
    std::optional<std::uint64_t> fileSize(const std::string& path) override {
        std::ifstream in(path, std::ios::binary | std::ios::ate);
        if (!in) return std::nullopt;
        return static_cast<std::uint64_t>(in.tellg());
    }
    std::optional<std::string> readBytes(const std::string& path, std::uint64_t offset, std::uint64_t length) override {
        std::ifstream in(path, std::ios::binary);
        if (!in) return std::nullopt;
        in.seekg(static_cast<std::streamoff>(offset));
        std::string out(length, '\0');
        in.read(out.data(), static_cast<std::streamsize>(length));
        out.resize(static_cast<std::size_t>(in.gcount()));
        return out;
    }
};

const std::string& bigCounterFile() {
    static const std::string path = [] {
        std::string p = "/tmp/tavrio-bench-message-counter.txt";
        std::ofstream out(p, std::ios::binary | std::ios::trunc);
        for (int i = 1; i <= 12'000'000; ++i) out << i << "\r\n";  // about 100 MB
        return p;
    }();
    return path;
}

void FromTheEnd(benchmark::State& state) {
    DiskFiles files;
    const std::string& path = bigCounterFile();
    for (auto _ : state) benchmark::DoNotOptimize(tavrio::readLastLine(files, path));
    if (tavrio::readLastLine(files, path).line != "12000000") state.SkipWithError("wrong last line");
}
BENCHMARK(FromTheEnd)->Unit(benchmark::kMicrosecond);

void WholeFile(benchmark::State& state) {
    const std::string& path = bigCounterFile();
    std::string line;
    for (auto _ : state) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream all;
        all << in.rdbuf();
        line = tavrio::testing::lastLineReadFromTheStart(all.str()).value_or("");
        benchmark::DoNotOptimize(line);
    }
    if (line != "12000000") state.SkipWithError("wrong last line");
}
BENCHMARK(WholeFile)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
