#include "win32/file_system_win32.h"

#include <algorithm>

#include "win32/wide_text.h"
#include "win32/win32.h"

namespace tavrio::win32 {
namespace {

// The bot may be writing or renaming its files while the panel reads them; sharing everything keeps the panel
// from ever blocking the bot.
UniqueHandle openForReading(const std::string& path) {
    return ownHandle(CreateFileW(widen(path).c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::optional<std::uint64_t> sizeOf(HANDLE file) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || size.QuadPart < 0) return std::nullopt;
    return static_cast<std::uint64_t>(size.QuadPart);
}

}  // namespace

bool FileSystemWin32::isPlainFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(widen(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) == 0;
}

bool FileSystemWin32::deleteFile(const std::string& path) { return DeleteFileW(widen(path).c_str()) != FALSE; }

std::optional<std::uint64_t> FileSystemWin32::fileSize(const std::string& path) {
    UniqueHandle file = openForReading(path);
    if (!file) return std::nullopt;
    return sizeOf(file.get());
}

std::optional<std::string> FileSystemWin32::readBytes(const std::string& path, std::uint64_t offset,
                                                      std::uint64_t length) {
    UniqueHandle file = openForReading(path);
    if (!file) return std::nullopt;
    const std::optional<std::uint64_t> size = sizeOf(file.get());
    if (!size) return std::nullopt;
    // The caller may ask for "everything"; never reserve more than the file holds.
    const std::uint64_t available = offset < *size ? *size - offset : 0;
    const std::uint64_t wanted = std::min(length, available);

    LARGE_INTEGER position{};
    position.QuadPart = static_cast<LONGLONG>(std::min<std::uint64_t>(offset, *size));
    if (!SetFilePointerEx(file.get(), position, nullptr, FILE_BEGIN)) return std::nullopt;

    std::string bytes(static_cast<std::size_t>(wanted), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD read = 0;
        if (!ReadFile(file.get(), bytes.data() + done, chunk, &read, nullptr)) return std::nullopt;
        if (read == 0) break;  // the file shrank meanwhile
        done += read;
    }
    bytes.resize(done);
    return bytes;
}

// Append access alone makes the system put each write at the end as it is at that moment, so another process
// appending meanwhile never lands inside this write; sharing everything lets a reader, a second copy or a delete
// go on while the file is open.
bool FileSystemWin32::appendBytes(const std::string& path, std::string_view bytes) {
    if (bytes.size() > MAXDWORD) return false;
    UniqueHandle file = ownHandle(CreateFileW(widen(path).c_str(), FILE_APPEND_DATA,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

bool FileSystemWin32::renameReplacing(const std::string& from, const std::string& to) {
    return MoveFileExW(widen(from).c_str(), widen(to).c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

}  // namespace tavrio::win32
