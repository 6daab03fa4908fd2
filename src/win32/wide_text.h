// UTF-8 (the core's strings) to UTF-16 (the W functions) and back, and the system's text for an error number.
#pragma once

#include <string>
#include <string_view>

#include "win32/win32.h"

namespace tavrio::win32 {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

// Bytes in `codePage` to UTF-16 and back. Invalid input becomes the code page's replacement characters.
std::wstring decode(std::string_view bytes, UINT codePage);
std::string encode(std::wstring_view utf16, UINT codePage);

// A window's whole text: a control's, which the user may have typed, or the QR control's data.
std::wstring windowText(HWND window);

// FormatMessageW's text for `code`, looked up in `module`'s message table first when one is given, then in the
// system's; trailing line breaks and blanks removed. Empty when the system has no text for it.
std::string systemMessage(DWORD code, HMODULE module = nullptr);

}  // namespace tavrio::win32
