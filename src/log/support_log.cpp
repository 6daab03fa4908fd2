#include "log/support_log.h"

#include <charconv>
#include <cstdio>
#include <utility>
#include <vector>

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

constexpr std::string_view kKeyMark = "<key>", kMessageMark = "<message>";

// The code point of the UTF-8 sequence at `i`, which moves past it. The decoding is lenient (overlong forms and
// surrogates pass) since it only has to agree with itself; a byte that starts no sequence stands alone, as a value
// no code point takes.
std::uint32_t readUtf8(std::string_view s, std::size_t& i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i);
    const std::size_t length = lead < 0x80   ? 1
                               : lead < 0xC2 ? 0
                               : lead < 0xE0 ? 2
                               : lead < 0xF0 ? 3
                               : lead < 0xF5 ? 4
                                             : 0;
    std::uint32_t point = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        if (i + k >= s.size() || (byte(i + k) & 0xC0) != 0x80) return 0x80000000u | byte(i++);
        point = point << 6 | (byte(i + k) & 0x3F);
    }
    if (length == 0) return 0x80000000u | byte(i++);
    i += length;
    return point;
}

// The value of the four hex digits at `i`, or nothing.
std::optional<std::uint32_t> hex4(std::string_view s, std::size_t i) {
    std::uint32_t value = 0;
    if (i + 4 > s.size()) return std::nullopt;
    const auto [end, error] = std::from_chars(s.data() + i, s.data() + i + 4, value, 16);
    if (error != std::errc() || end != s.data() + i + 4) return std::nullopt;
    return value;
}

// The JSON escape at `i` (\n, \u00e9, a surrogate pair) as the code point it stands for, moving `i` past it.
std::optional<std::uint32_t> readEscape(std::string_view s, std::size_t& i) {
    static constexpr std::string_view kNamed = "\"\\/bfnrt", kMeant = "\"\\/\b\f\n\r\t";
    if (s[i] != '\\' || i + 1 >= s.size()) return std::nullopt;
    if (const std::size_t named = kNamed.find(s[i + 1]); named != kNamed.npos) {
        i += 2;
        return static_cast<unsigned char>(kMeant[named]);
    }
    const auto unit = s[i + 1] == 'u' ? hex4(s, i + 2) : std::nullopt;
    if (!unit) return std::nullopt;
    i += 6;
    if (*unit < 0xD800 || *unit > 0xDBFF || s.substr(i, 2) != "\\u") return unit;
    const auto low = hex4(s, i + 2);
    if (!low || *low < 0xDC00 || *low > 0xDFFF) return unit;
    i += 6;
    return 0x10000 + ((*unit - 0xD800) << 10) + (*low - 0xDC00);
}

// A text as code points, each with the offset where it starts (and the text's end last); with `unescaping`, each
// JSON escape as the one code point it stands for.
struct Decoded {
    std::vector<std::uint32_t> points;
    std::vector<std::size_t> starts;
};

Decoded decoded(std::string_view text, bool unescaping) {
    Decoded out;
    out.points.reserve(text.size());
    out.starts.reserve(text.size() + 1);
    for (std::size_t i = 0; i < text.size();) {
        out.starts.push_back(i);
        const auto escaped = unescaping ? readEscape(text, i) : std::nullopt;
        out.points.push_back(escaped ? *escaped : readUtf8(text, i));
    }
    out.starts.push_back(text.size());
    return out;
}

// Where `pattern` (not empty) starts in `text`, left to right, none overlapping. Knuth-Morris-Pratt: linear however
// repetitive both are, since an answer may hold a megabyte and the message thousands of characters.
std::vector<std::size_t> occurrences(const std::vector<std::uint32_t>& text,
                                     const std::vector<std::uint32_t>& pattern) {
    std::vector<std::size_t> fallback(pattern.size(), 0), found;
    for (std::size_t i = 1, k = 0; i < pattern.size(); ++i) {
        while (k > 0 && pattern[i] != pattern[k]) k = fallback[k - 1];
        if (pattern[i] == pattern[k]) ++k;
        fallback[i] = k;
    }
    for (std::size_t i = 0, k = 0; i < text.size(); ++i) {
        while (k > 0 && text[i] != pattern[k]) k = fallback[k - 1];
        if (text[i] == pattern[k] && ++k == pattern.size()) {
            found.push_back(i + 1 - k);
            k = 0;
        }
    }
    return found;
}

// Every occurrence of `secret` replaced by `mark`; with `unescaping`, where JSON escapes spell it, in part or whole.
std::string secretMasked(std::string_view text, std::string_view secret, std::string_view mark, bool unescaping) {
    const Decoded in = decoded(text, unescaping);
    const std::vector<std::uint32_t> wanted = decoded(secret, false).points;
    std::string out;
    std::size_t done = 0;
    for (const std::size_t at : occurrences(in.points, wanted)) {
        out.append(text.substr(done, in.starts[at] - done)).append(mark);
        done = in.starts[at + wanted.size()];
    }
    return out.append(text.substr(done));
}

// Runs of five digits or more, and nine or more joined by single separators, cut to their last four digits. The
// marks count as absent: a secret made of digits may have split a phone number ("9198<message>2345678").
std::string digitsMasked(std::string_view text) {
    std::string plain;              // the text without its marks
    std::vector<std::size_t> from;  // where each of its characters stands in `text`
    plain.reserve(text.size());
    from.reserve(text.size());
    const auto markAt = [&](std::size_t i) -> std::size_t {
        for (const std::string_view mark : {kKeyMark, kMessageMark})
            if (text.substr(i, mark.size()) == mark) return mark.size();
        return 0;
    };
    for (std::size_t i = 0; i < text.size();) {
        if (const std::size_t skipped = markAt(i)) {
            i += skipped;
            continue;
        }
        from.push_back(i);
        plain += text[i++];
    }
    const auto digit = [&](std::size_t i) { return i < plain.size() && plain[i] >= '0' && plain[i] <= '9'; };
    const auto is = [&](std::size_t i, std::string_view set) {
        return i < plain.size() && set.find(plain[i]) != set.npos;
    };
    std::vector<std::pair<std::size_t, std::size_t>> masked;  // spans of `plain`
    for (std::size_t i = 0; i < plain.size();) {
        if (!digit(i)) {
            ++i;
            continue;
        }
        std::vector<std::pair<std::size_t, std::size_t>> runs;
        std::size_t digits = 0;
        for (std::size_t start = i;;) {
            std::size_t end = start, next;
            while (digit(end)) ++end;
            runs.emplace_back(start, end);
            digits += end - start;
            // A separator: a closing bracket, a blank, hyphen or dot, an opening bracket, each at most once.
            next = end + is(end, ")");
            next += is(next, " -.");
            next += is(next, "(");
            if (next == end || !digit(next)) break;
            start = next;
        }
        if (digits >= 9)
            masked.emplace_back(i, runs.back().second);
        else
            for (const auto& run : runs)
                if (run.second - run.first >= 5) masked.push_back(run);
        i = runs.back().second;
    }
    std::string out;
    std::size_t done = 0;
    for (const auto& [begin, end] : masked) {
        out.append(text.substr(done, from[begin] - done)).append(phoneForLog(plain.substr(begin, end - begin)));
        done = from[end - 1] + 1;
    }
    return out.append(text.substr(done));
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

std::string outsideTextMasked(std::string_view text, std::string_view key, std::string_view message) {
    std::pair<std::string_view, std::string_view> secrets[] = {{key, kKeyMark}, {message, kMessageMark}};
    // The longer first: a key inside the message, or the other way round, would otherwise leave the rest of it.
    if (message.size() > key.size()) std::swap(secrets[0], secrets[1]);
    std::string out(text);
    // As written before as escaped: unescaping would read a backslash of the secret's own as an escape.
    for (const auto& [secret, mark] : secrets)
        if (!secret.empty())
            for (const bool unescaping : {false, true}) out = secretMasked(out, secret, mark, unescaping);
    return digitsMasked(out);
}

}  // namespace tavrio
