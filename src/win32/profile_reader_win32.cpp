#include "win32/profile_reader_win32.h"

#include <vector>

#include "win32/wide_text.h"
#include "win32/win32.h"

namespace tavrio::win32 {

// The W function, so that a file in a folder whose name the ANSI code page cannot hold is still found. It
// reads an ANSI profile file as the A function did; its lookup rules (case, blanks, quotes) are the system's.
std::string ProfileReaderWin32::readString(const std::string& file, const std::string& section, const std::string& key,
                                           const std::string& defaultValue, std::uint32_t bufferSize) {
    if (bufferSize == 0) return {};
    std::vector<wchar_t> buffer(bufferSize, L'\0');
    const DWORD copied =
        GetPrivateProfileStringW(widen(section).c_str(), widen(key).c_str(), widen(defaultValue).c_str(), buffer.data(),
                                 bufferSize, widen(file).c_str());
    return narrow(std::wstring_view(buffer.data(), copied));
}

}  // namespace tavrio::win32
