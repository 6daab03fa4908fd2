#include "win32/program_info.h"

#include <vector>

#include "win32/wide_text.h"
#include "win32/win32.h"

namespace tavrio::win32 {
namespace {

std::wstring modulePath() {
    // Paths can be longer than MAX_PATH; grow until the whole name fits.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace

std::string programFolder() {
    std::wstring path = modulePath();
    const std::size_t slash = path.find_last_of(L"\\/");
    path.resize(slash == std::wstring::npos ? 0 : slash);
    return narrow(path);
}

int revisionNumber() {
    const std::wstring path = modulePath();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return 0;
    std::vector<unsigned char> data(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return 0;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT infoSize = 0;
    if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &infoSize) || info == nullptr ||
        infoSize < sizeof *info) {
        return 0;
    }
    return static_cast<int>(LOWORD(info->dwFileVersionLS));
}

}  // namespace tavrio::win32
