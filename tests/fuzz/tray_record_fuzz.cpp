// Tray texts -> the shell's record: nothing written outside the text fields, and each field holds whole
// characters and its NUL, so the shell's copy always ends inside it.
#include <vector>

#include "fuzz_support.h"
#include "tray/tray_record.h"

using namespace tavrio;

namespace {

std::uint32_t read32(const TrayRecordBytes& r, std::size_t at) {
    return r[at] | r[at + 1] << 8 | r[at + 2] << 16 | static_cast<std::uint32_t>(r[at + 3]) << 24;
}

// The field ends in a NUL and spaces only; before it stand whole leading characters of the text, as many as fit.
void checkField(const TrayRecordBytes& r, std::size_t at, std::size_t width, const std::string& text,
                fuzz::Latin1Codec& codec) {
    const std::string field(reinterpret_cast<const char*>(r.data()) + at, width);
    const std::size_t end = field.find_last_not_of(' ');
    FUZZ_CHECK(end != std::string::npos && field[end] == '\0');
    std::string ansi;
    const std::vector<std::string> chars = splitCodePoints(text);
    std::size_t k = 0;
    for (; k < chars.size() && ansi.size() < end; ++k) ansi += codec.utf8ToAnsi(chars[k]);
    FUZZ_CHECK(ansi == field.substr(0, end));
    if (k < chars.size()) FUZZ_CHECK(end + codec.utf8ToAnsi(chars[k]).size() + 1 > width);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    fuzz::Latin1Codec codec;
    codec.doubleByte = data[0] & 1;
    // The three texts, separated by 0xFF.
    std::string texts[3];
    int which = 0;
    for (std::size_t i = 1; i < size; ++i) {
        if (data[i] == 0xFF && which < 2)
            ++which;
        else
            texts[which] += static_cast<char>(data[i]);
    }
    TrayRecord record;
    record.cbSize = 488, record.hWnd = 0x11111111, record.uID = 0x22222222, record.uFlags = 0x33333333;
    record.uCallbackMessage = 0x44444444, record.hIcon = 0x55555555, record.uTimeout = 0x66666666;
    record.dwInfoFlags = 0x77777777;
    record.szTip = texts[0], record.szInfo = texts[1], record.szInfoTitle = texts[2];
    const TrayRecordBytes r = record.bytes(codec);

    FUZZ_CHECK(read32(r, 0) == 488 && read32(r, 4) == 0x11111111 && read32(r, 8) == 0x22222222);
    FUZZ_CHECK(read32(r, 12) == 0x33333333 && read32(r, 16) == 0x44444444 && read32(r, 20) == 0x55555555);
    FUZZ_CHECK(read32(r, 152) == 0 && read32(r, 156) == 0);
    FUZZ_CHECK(read32(r, 416) == 0x66666666 && read32(r, 484) == 0x77777777);
    checkField(r, 24, tray_field::kTipChars, texts[0], codec);
    checkField(r, 160, tray_field::kInfoChars, texts[1], codec);
    checkField(r, 420, tray_field::kInfoTitleChars, texts[2], codec);
    return 0;
}
