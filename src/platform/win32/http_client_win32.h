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

// The code page named by a Content-Type's charset, as the client reads it (see app/answer_text.h).
UINT codePageOfContentType(std::string_view contentType);

}  // namespace tavrio::win32
