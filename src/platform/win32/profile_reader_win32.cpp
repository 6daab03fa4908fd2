#include "platform/win32/profile_reader_win32.h"

#include <vector>

#include "platform/win32/win32.h"

namespace tavrio::win32 {

// The A function on purpose: the profile file is ANSI text and its lookup rules (case, blanks, comments) are
// the system's own.
std::string ProfileReaderWin32::readString(const std::string& file, const std::string& section, const std::string& key,
                                           const std::string& defaultValue, std::uint32_t bufferSize) {
    if (bufferSize == 0) return {};
    std::vector<char> buffer(bufferSize, '\0');
    const std::string ansiSection = codec_.utf8ToAnsi(section);
    const std::string ansiKey = codec_.utf8ToAnsi(key);
    const std::string ansiDefault = codec_.utf8ToAnsi(defaultValue);
    const std::string ansiFile = codec_.utf8ToAnsi(file);
    const DWORD copied = GetPrivateProfileStringA(ansiSection.c_str(), ansiKey.c_str(), ansiDefault.c_str(),
                                                  buffer.data(), bufferSize, ansiFile.c_str());
    return codec_.ansiToUtf8(std::string(buffer.data(), copied));
}

}  // namespace tavrio::win32
