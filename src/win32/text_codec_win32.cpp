#include "win32/text_codec_win32.h"

#include "win32/wide_text.h"

namespace tavrio::win32 {

std::string TextCodecWin32::ansiToUtf8(const std::string& ansiBytes) { return narrow(decode(ansiBytes, CP_ACP)); }

// WideCharToMultiByte puts the code page's default character ('?') where a character has no ANSI form.
std::string TextCodecWin32::utf8ToAnsi(const std::string& utf8) { return encode(widen(utf8), CP_ACP); }

std::string TextCodecWin32::toUpper(const std::string& utf8) {
    std::wstring text = widen(utf8);
    if (!text.empty()) CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return narrow(text);
}

}  // namespace tavrio::win32
