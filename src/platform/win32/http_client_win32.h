#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/win32/win32.h"

namespace tavrio::win32 {

// One synchronous request per call over WinHTTP, with its own session and connection.
class HttpClientWin32 final : public HttpClient {
public:
    HttpResult send(const HttpRequest& request) override;
};

// The code page named by a Content-Type's charset; CP_UTF8 when there is none or it is not known. UTF-16
// answers are 1200 (little-endian) and 1201 (big-endian), which MultiByteToWideChar does not take.
UINT codePageOfContentType(std::string_view contentType);

// An answer's bytes as UTF-8, decoded from `codePage`.
std::string bodyToUtf8(std::string_view bytes, UINT codePage);

}  // namespace tavrio::win32
