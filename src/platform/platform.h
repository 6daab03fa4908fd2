// The seam between the portable core and the operating system.
//
// Everything the panel needs from Windows is one of these interfaces. The core only ever talks to them;
// `win32/` implements them for real and the unit tests implement them as fakes. No exceptions cross
// this seam: every operation reports failure in its result.
//
// Strings are UTF-8 throughout the core. Conversion to the ANSI code page (files, the tray record) and to UTF-16
// (the W functions) happens inside the implementations, with the `TextCodec` below where the core needs it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/read_caps.h"
#include "platform/tray_record_layout.h"

namespace tavrio {

// ---------------------------------------------------------------------------------------------------------------
// Files. Paths are full Windows paths ("C:\\panel\\qr.txt"), in UTF-8.
class FileSystem {
public:
    virtual ~FileSystem() = default;
    // True only for a plain file: folders and files marked hidden or system do not count.
    virtual bool isPlainFile(const std::string& path) = 0;
    // Deletes one file; false when it could not (missing, locked, read-only...).
    virtual bool deleteFile(const std::string& path) = 0;
    // The file's size in bytes, or nothing when it cannot be opened.
    virtual std::optional<std::uint64_t> fileSize(const std::string& path) = 0;
    // Up to `length` raw bytes from `offset`; nothing when the file cannot be opened or read.
    virtual std::optional<std::string> readBytes(const std::string& path, std::uint64_t offset,
                                                 std::uint64_t length) = 0;
    // Adds the bytes at the file's end in one write, creating the file if it is missing; false on any failure.
    // Two processes appending to one file never mix their bytes within one call's.
    virtual bool appendBytes(const std::string& path, std::string_view bytes) = 0;
    // Renames `from` to `to`, replacing a file already called `to`; false on failure.
    virtual bool renameReplacing(const std::string& from, const std::string& to) = 0;
};

// Conversions between the core's UTF-8 and the system's ANSI code page.
class TextCodec {
public:
    virtual ~TextCodec() = default;
    virtual std::string ansiToUtf8(const std::string& ansiBytes) = 0;
    // Characters that the code page cannot hold become '?', as the system's own conversion does.
    virtual std::string utf8ToAnsi(const std::string& utf8) = 0;
    // Upper case as the system converts text (not only ASCII).
    virtual std::string toUpper(const std::string& utf8) = 0;
};

// ---------------------------------------------------------------------------------------------------------------
// Processes.
enum class WindowMode { Hidden, MinimizedWithFocus };

// A started program, kept so that its end can be noticed. Dropping it neither waits for the program nor ends it,
// unless it came from `startSupervised`.
class StartedProcess {
public:
    virtual ~StartedProcess() = default;
    // Without waiting: the exit code once the program has ended, nothing while it runs.
    virtual std::optional<std::uint32_t> exitCode() = 0;
    // Waits at most `milliseconds` for the program to end, repainting the panel's window meanwhile but handling
    // no input; true once it has ended.
    virtual bool waitForEnd(std::uint32_t milliseconds) = 0;
    // Ends the program and, when it was started supervised, every program it started that still runs; false when
    // the system refused.
    virtual bool endWithEverythingItStarted() = 0;
};

struct StartResult {
    bool started = false;
    std::uint32_t processId = 0;
    std::string errorText;                    // when not started: the system's description of why
    std::shared_ptr<StartedProcess> process;  // when started
};

class ProcessStarter {
public:
    virtual ~ProcessStarter() = default;
    // Starts exactly the program file `applicationPath` with no arguments, not waited for. The program and
    // everything it starts end together with the returned process: when its last owner drops it, and when the panel
    // ends in any way, killed or crashed too; a program it starts to break away from that tie may do so. Where the
    // system cannot tie them together (an old Windows whose panel already runs inside a job), it runs untied.
    virtual StartResult startSupervised(const std::string& applicationPath, WindowMode mode) = 0;
    // Starts a console command line, its first word being a program of the system folder (never searched for),
    // not waited for.
    virtual StartResult startCommandLine(const std::string& commandLine, WindowMode mode) = 0;
    // Opens the text file in the system's Notepad, the one in the Windows folder (never one found elsewhere), not
    // waited for.
    virtual StartResult startNotepad(const std::string& filePath) = 0;
};

// A moment on the local wall clock, and the zone's offset from UTC at that moment (east of Greenwich positive).
struct LocalTime {
    int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0, millisecond = 0;
    int utcOffsetMinutes = 0;
};

// Blocking waits and the time. The fake records the waits instead of sleeping.
class Clock {
public:
    virtual ~Clock() = default;
    virtual void sleepMs(std::uint32_t milliseconds) = 0;
    // Milliseconds since the system started: for measuring a wait's budget, and for how long ago Windows started.
    virtual std::uint64_t nowMs() = 0;
    // The local date and time now, for time stamps people read.
    virtual LocalTime localTime() = 0;
};

// ---------------------------------------------------------------------------------------------------------------
// Modal message boxes with an OK button and the program's default title.
enum class MessageIcon { None, Error };

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual void show(const std::string& text, MessageIcon icon) = 0;
    // Closes the `depth`-th of the boxes open now (1: the first shown), as its OK button would, so that its `show`
    // returns; nothing when the system did not say which window that box is.
    virtual void closeBox(std::size_t depth) = 0;
    // Closes every open box: the program ends.
    virtual void closeAll() = 0;
};

// ---------------------------------------------------------------------------------------------------------------
// HTTP on the local machine.
struct HttpTimeouts {
    // Each bounds one wait of its phase (0: the client's default for it). However slowly an answer arrives, the
    // request ends at the sum of the four: past it, it fails as timed out.
    std::int32_t resolveMs = 0, connectMs = 0, sendMs = 0, receiveMs = 0;
};

struct HttpRequest {
    std::string method;                                        // "GET" or "POST"
    std::string url;                                           // already checked by the core to point at the loopback
    std::vector<std::pair<std::string, std::string>> headers;  // in the order they are set
    std::string body;                                          // UTF-8 on the wire
    HttpTimeouts timeouts;
    std::size_t maxBodyBytes = kMaxAnswerBytes;  // the client reads no more, and cuts the decoded text here
};

struct HttpResult {
    bool ok = false;  // an answer arrived (whatever its status)
    int status = 0;
    std::string body;              // decoded to UTF-8
    std::int32_t errorNumber = 0;  // when !ok: the failure as a signed 32-bit HRESULT
    std::string errorDescription;  // when !ok: the system's text for it
};

class HttpClient {
public:
    virtual ~HttpClient() = default;
    virtual HttpResult send(const HttpRequest& request) = 0;
};

// ---------------------------------------------------------------------------------------------------------------
// Windows profile (INI) files.
class ProfileReader {
public:
    virtual ~ProfileReader() = default;
    // GetPrivateProfileStringA: copies at most bufferSize-1 characters; returns what it copied.
    virtual std::string readString(const std::string& file, const std::string& section, const std::string& key,
                                   const std::string& defaultValue, std::uint32_t bufferSize) = 0;
};

// ---------------------------------------------------------------------------------------------------------------
// The shell's notification area.

enum class TrayMessage : std::uint32_t { Add = 0, Modify = 1, Delete = 2 };

class ShellTray {
public:
    virtual ~ShellTray() = default;
    // Shell_NotifyIconA with the record in its 32-bit ANSI layout; the implementation converts it to the
    // build's native NOTIFYICONDATAA. False when the shell refused the call: a refused add is made again later.
    virtual bool notifyIcon(TrayMessage message, const TrayRecordBytes& record) = 0;
};

// ---------------------------------------------------------------------------------------------------------------
// Power and the system's restart of the program.
class SystemPower {
public:
    virtual ~SystemPower() = default;
    // False only when the machine is known to run on its battery.
    virtual bool onMainsPower() = 0;
    // While `awake`, Windows is asked to keep the system (not the display) from sleeping on its own; the user's
    // own Sleep still works.
    virtual void keepSystemAwake(bool awake) = 0;
    // Windows starts the program again after it crashed or after an update's restart, where the user has that on.
    virtual void registerForRestart() = 0;
};

}  // namespace tavrio
