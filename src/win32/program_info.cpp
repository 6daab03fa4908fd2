#include "win32/program_info.h"

#include <array>
#include <cstdio>
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

namespace {

// The four numbers of the executable's file version; all 0 when it has no version resource.
std::array<int, 4> fileVersion() {
    const std::wstring path = modulePath();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return {};
    std::vector<unsigned char> data(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return {};
    VS_FIXEDFILEINFO* info = nullptr;
    UINT infoSize = 0;
    if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &infoSize) || info == nullptr ||
        infoSize < sizeof *info) {
        return {};
    }
    return {HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS), HIWORD(info->dwFileVersionLS),
            LOWORD(info->dwFileVersionLS)};
}

}  // namespace

int revisionNumber() { return fileVersion()[3]; }

std::string programAndSystem() {
    const std::array<int, 4> v = fileVersion();
    // GetVersionEx answers what the manifest claims; the kernel's own call tells the real one.
    RTL_OSVERSIONINFOW os{sizeof os};
    using RtlGetVersion = LONG(WINAPI*)(RTL_OSVERSIONINFOW*);
    if (const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll"))
        if (auto get = reinterpret_cast<RtlGetVersion>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion"))))
            get(&os);
    const HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    char text[160];
    std::snprintf(text, sizeof text, "version %d.%d.%d.%d, Windows %lu.%lu.%lu, %d DPI, ANSI code page %u", v[0], v[1],
                  v[2], v[3], os.dwMajorVersion, os.dwMinorVersion, os.dwBuildNumber, dpi, GetACP());
    return text;
}

std::string computerName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
    if (!GetComputerNameW(name, &length)) return "This computer";
    return narrow(std::wstring(name, length));
}

}  // namespace tavrio::win32
