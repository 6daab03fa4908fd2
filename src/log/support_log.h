// The support log: what happened, one event a line, in TavrioPanel.log beside the program, for the user to send
// to support. Writing it never fails the panel: a line that cannot be written is dropped.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace tavrio {

inline constexpr char kSupportLogName[] = "TavrioPanel.log";
inline constexpr char kOldSupportLogName[] = "TavrioPanel.log.1";

class SupportLog {
public:
    // The line that would take the log past this rotates it: the full one replaces TavrioPanel.log.1 and a new one
    // starts, so normally at most twice this is on disk.
    static constexpr std::uint64_t kMaxFileBytes = 1u << 20;
    // While the rotation fails (TavrioPanel.log.1 read-only or held open) the log grows on up to this, dropping the
    // lines beyond, and the rotation is tried again after every kRotationRetryBytes of lines.
    static constexpr std::uint64_t kMaxGrownBytes = 4u << 20;
    static constexpr std::uint64_t kRotationRetryBytes = 64u << 10;
    // A longer event is cut: a message box may hold a whole answer, which would push everything else out.
    static constexpr std::size_t kMaxEventBytes = 4096;

    // `folder` is the program's folder, without a final backslash.
    SupportLog(FileSystem& files, Clock& clock, const std::string& folder);

    // One line: the local time to the millisecond with its offset from UTC, a space, the event on one line, CR LF.
    // Never throws and never reports: a line that cannot be written is lost and the next one tries again.
    void write(std::string_view event);

    const std::string& path() const { return path_; }

private:
    void rotateIfFull(std::uint64_t lineBytes);

    FileSystem& files_;
    Clock& clock_;
    std::string path_, oldPath_;
    // The file's size as counted by this log; nothing until the file has been asked, or after a failure.
    std::optional<std::uint64_t> size_;
    // The bytes of the lines since the rotation last failed; nothing while it has not.
    std::optional<std::uint64_t> sinceFailedRotation_;
};

// A phone number as the log may show it: its last four digits only, as "****1234"; "****" when it has four
// digits or fewer, which would be all of it.
std::string phoneForLog(std::string_view phone);

// A text from outside (the bot's answer shown in a box) as the log may show it. The key and the message, each also
// as JSON would escape it, become "<key>" and "<message>" (empty ones are left alone); then every run of five digits
// or more, and every nine digits or more joined by single blanks, hyphens, dots or brackets ("+38 (050) 123-45-67"),
// is cut to its last four as phoneForLog does.
std::string outsideTextMasked(std::string_view text, std::string_view key, std::string_view message);

}  // namespace tavrio
