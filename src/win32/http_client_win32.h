#pragma once

#include "platform/platform.h"

namespace tavrio::win32 {

// One synchronous request per call over WinHTTP, with its own session and connection.
class HttpClientWin32 final : public HttpClient {
public:
    HttpResult send(const HttpRequest& request) override;
};

}  // namespace tavrio::win32
