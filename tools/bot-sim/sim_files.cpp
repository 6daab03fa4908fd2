#include "sim_files.h"

#include <fstream>
#include <iterator>

namespace botsim {

bool writeWhole(const fs::path& file, std::string_view content) {
    fs::path temp = file;
    temp += ".tmp";
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    if (out && replaceFile(temp, file)) return true;
    std::error_code ignored;
    fs::remove(temp, ignored);
    return false;
}

bool appendText(const fs::path& file, std::string_view content) {
    // Nobody polls the log, so a single append is enough; one write keeps a line from being split.
    std::ofstream out(file, std::ios::binary | std::ios::app);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    return static_cast<bool>(out);
}

std::optional<std::string> readText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool removeFile(const fs::path& file) {
    std::error_code ec;
    fs::remove(file, ec);
    return !fs::exists(file, ec);
}

}  // namespace botsim
