#include "log/support_log.h"

#include <cstdio>

#include "text/answer_text.h"
#include "text/utf8.h"

namespace tavrio {
namespace {

// Valid UTF-8 on one line: control characters (C0, DEL and C1, line breaks among them) become blanks.
std::string oneLine(std::string_view event) {
    static constexpr std::string_view kCutMark = " [...]";
    std::string text = validUtf8(event);
    if (text.size() > SupportLog::kMaxEventBytes)
        text = cutUtf8(std::move(text), SupportLog::kMaxEventBytes - kCutMark.size()).append(kCutMark);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const bool c1 = c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) <= 0x9F;
        if (c1) ++i;  // valid UTF-8: the byte after 0xC2 is 0x80 or more
        out += c < 0x20 || c == 0x7F || c1 ? ' ' : text[i];
    }
    return out;
}

std::string stamp(const LocalTime& t) {
    const int offset = t.utcOffsetMinutes < 0 ? -t.utcOffsetMinutes : t.utcOffsetMinutes;
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d %c%02d:%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second, t.millisecond, t.utcOffsetMinutes < 0 ? '-' : '+', offset / 60, offset % 60);
    return text;
}

}  // namespace

SupportLog::SupportLog(FileSystem& files, Clock& clock, const std::string& folder)
    : files_(files),
      clock_(clock),
      path_(folder + "\\" + kSupportLogName),
      oldPath_(folder + "\\" + kOldSupportLogName) {}

void SupportLog::write(std::string_view event) {
    const std::string line = stamp(clock_.localTime()) + " " + oneLine(event) + "\r\n";
    // The size is asked once and then counted; it is asked again before a rotation and after a failure.
    if (!size_) size_ = files_.fileSize(path_).value_or(0);
    rotateIfFull(line.size());
    if (*size_ + line.size() > kMaxGrownBytes) return;  // the rotation keeps failing: the bound holds
    if (files_.appendBytes(path_, line)) {
        *size_ += line.size();
        return;
    }
    // A log that takes no appends (made read-only, say) would stop the log for good: it is put aside instead.
    if (files_.renameReplacing(path_, oldPath_) && files_.appendBytes(path_, line)) {
        size_ = line.size();
        sinceFailedRotation_.reset();
    } else {
        size_.reset();
    }
}

void SupportLog::rotateIfFull(std::uint64_t lineBytes) {
    const auto full = [&] { return *size_ > 0 && *size_ + lineBytes > kMaxFileBytes; };
    if (!full()) return;
    if (sinceFailedRotation_ && (*sinceFailedRotation_ += lineBytes) < kRotationRetryBytes) return;
    // Asked again right before the rename: another copy may have rotated it meanwhile, and renaming its new log would
    // replace the history it has just put aside.
    size_ = files_.fileSize(path_).value_or(0);
    if (!full()) {
        sinceFailedRotation_.reset();
    } else if (files_.renameReplacing(path_, oldPath_)) {
        size_ = 0;
        sinceFailedRotation_.reset();
    } else {
        sinceFailedRotation_ = 0;
    }
}

std::string phoneForLog(std::string_view phone) {
    std::string digits;
    for (char c : phone)
        if (c >= '0' && c <= '9') digits += c;
    return "****" + (digits.size() > 4 ? digits.substr(digits.size() - 4) : std::string());
}

std::string phonesMasked(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t end = i;
        while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
        if (end == i) {
            out += text[i++];
            continue;
        }
        const std::string_view digits = text.substr(i, end - i);
        out += digits.size() >= 5 ? phoneForLog(digits) : std::string(digits);
        i = end;
    }
    return out;
}

}  // namespace tavrio
