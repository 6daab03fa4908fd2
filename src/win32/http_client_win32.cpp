#include "win32/http_client_win32.h"

#include "win32/win32.h"

#include <winhttp.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <type_traits>

#include "text/answer_text.h"
#include "win32/wide_text.h"

namespace tavrio::win32 {
namespace {

struct InternetCloser {
    void operator()(HINTERNET handle) const {
        if (handle != nullptr) WinHttpCloseHandle(handle);
    }
};
using UniqueInternet = std::unique_ptr<std::remove_pointer_t<HINTERNET>, InternetCloser>;

// WinHTTP's documented defaults for the four phases, for a phase the request leaves at 0 (resolve: none).
constexpr int kDefaultResolveMs = 0, kDefaultConnectMs = 60000, kDefaultSendMs = 30000, kDefaultReceiveMs = 30000;

// The time-outs only bound each wait for a packet, so a bot that drips its answer would never trip them: the
// request as a whole ends when the sum of its phases has passed.
class Deadline {
public:
    explicit Deadline(const HttpTimeouts& t)
        : resolveMs_(t.resolveMs != 0 ? t.resolveMs : kDefaultResolveMs),
          connectMs_(t.connectMs != 0 ? t.connectMs : kDefaultConnectMs),
          sendMs_(t.sendMs != 0 ? t.sendMs : kDefaultSendMs),
          receiveMs_(t.receiveMs != 0 ? t.receiveMs : kDefaultReceiveMs),
          end_(GetTickCount64() + static_cast<ULONGLONG>(resolveMs_) + static_cast<ULONGLONG>(connectMs_) +
               static_cast<ULONGLONG>(sendMs_) + static_cast<ULONGLONG>(receiveMs_)) {}

    // Before each blocking call: every phase's time-out, lowered to what is left. Once nothing is left, the
    // request has timed out as if WinHTTP had said so.
    bool limit(HINTERNET request, bool lookup) const {
        const ULONGLONG now = GetTickCount64();
        if (now >= end_) {
            SetLastError(ERROR_WINHTTP_TIMEOUT);
            return false;
        }
        const int left = static_cast<int>(std::min<ULONGLONG>(end_ - now, INT_MAX));
        // A resolve time-out makes WinHTTP look the name up on a worker thread that then stays for the life of
        // the program (a megabyte of stack under Wine); a name that needs no lookup cannot take that long.
        const int resolveMs = lookup && resolveMs_ != 0 ? std::min(resolveMs_, left) : 0;
        const int receiveMs = std::min(receiveMs_, left);
        // The receive time-out covers each read, not the wait for the answer's headers, which has an option of
        // its own (without it a bot that accepts and never answers holds the window for ever under Wine).
        // Windows counts that one over all the headers; Wine, like the receive time-out, per read.
        DWORD headersMs = static_cast<DWORD>(receiveMs);
        return WinHttpSetTimeouts(request, resolveMs, std::min(connectMs_, left), std::min(sendMs_, left), receiveMs) &&
               WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &headersMs, sizeof headersMs);
    }

private:
    int resolveMs_, connectMs_, sendMs_, receiveMs_;
    ULONGLONG end_;
};

HttpResult failure(DWORD error) {
    // Wine passes a socket's time-out through as the Winsock error; Windows reports its own.
    constexpr DWORD kWinsockTimedOut = 10060;
    if (error == kWinsockTimedOut) error = ERROR_WINHTTP_TIMEOUT;
    HttpResult result;
    result.errorNumber = static_cast<std::int32_t>(HRESULT_FROM_WIN32(error));
    // WinHTTP's texts live in its own module, not in the system's message table.
    result.errorDescription = systemMessage(error, GetModuleHandleW(L"winhttp.dll"));
    if (result.errorDescription.empty()) {
        result.errorDescription = "The HTTP request failed (WinHTTP error " + std::to_string(error) + ").";
    }
    return result;
}

HttpResult lastFailure() { return failure(GetLastError()); }

// A name that resolves without asking anyone: the loopback name or an address written out.
bool resolvesWithoutLookup(const std::wstring& host) {
    if (_wcsicmp(host.c_str(), L"localhost") == 0) return true;
    // No name holds a colon (an IPv6 address does), and no name is digits and dots alone.
    return host.find(L':') != std::wstring::npos ||
           (!host.empty() && host.find_first_not_of(L"0123456789.") == std::wstring::npos);
}

// The system's conversions, for the code pages the text helper does not decode itself.
std::optional<std::string> systemCodePage(std::string_view bytes, std::uint32_t codePage) {
    if (!IsValidCodePage(codePage)) return std::nullopt;
    return narrow(decode(bytes, codePage));
}

std::wstring queryString(HINTERNET request, DWORD what) {
    DWORD bytes = 0;
    WinHttpQueryHeaders(request, what, WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER, &bytes,
                        WINHTTP_NO_HEADER_INDEX);
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || bytes == 0) return {};
    std::wstring value(bytes / sizeof(wchar_t), L'\0');
    if (!WinHttpQueryHeaders(request, what, WINHTTP_HEADER_NAME_BY_INDEX, value.data(), &bytes,
                             WINHTTP_NO_HEADER_INDEX)) {
        return {};
    }
    value.resize(bytes / sizeof(wchar_t));
    return value;
}

}  // namespace

HttpResult HttpClientWin32::send(const HttpRequest& request) {
    const std::wstring url = widen(request.url);
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    // -1: point into `url` instead of copying.
    parts.dwSchemeLength = parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength =
        static_cast<DWORD>(-1);
    if (url.empty() || !WinHttpCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts)) {
        return lastFailure();
    }
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);
    path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (path.empty()) path = L"/";

    // No agent of the session's own: the only User-Agent sent is the one the request names. The bot is on this
    // machine, so no proxy is ever asked.
    UniqueInternet session(
        WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) return lastFailure();
    UniqueInternet connection(WinHttpConnect(session.get(), host.c_str(), parts.nPort, 0));
    if (!connection) return lastFailure();
    const DWORD secure = parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0;
    UniqueInternet http(WinHttpOpenRequest(connection.get(), widen(request.method).c_str(), path.c_str(), nullptr,
                                           WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, secure));
    if (!http) return lastFailure();
    // A fresh connection for every request: Wine pools connections across sessions and does not retry one the
    // bot has closed meanwhile, so a reused one fails the next request.
    DWORD noKeepAlive = WINHTTP_DISABLE_KEEP_ALIVE;
    if (!WinHttpSetOption(http.get(), WINHTTP_OPTION_DISABLE_FEATURE, &noKeepAlive, sizeof noKeepAlive)) {
        return lastFailure();
    }

    const Deadline deadline(request.timeouts);
    const bool lookup = !resolvesWithoutLookup(host);
    const auto limitOrFail = [&] { return deadline.limit(http.get(), lookup); };
    if (!limitOrFail()) return lastFailure();

    for (const auto& [name, value] : request.headers) {
        const std::wstring line = widen(name) + L": " + widen(value);
        // Setting a header twice keeps the last value, as a request object's SetRequestHeader does.
        if (!WinHttpAddRequestHeaders(http.get(), line.c_str(), static_cast<DWORD>(-1),
                                      WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE)) {
            return lastFailure();
        }
    }

    const DWORD bodySize = static_cast<DWORD>(request.body.size());
    void* body = bodySize != 0 ? const_cast<char*>(request.body.data()) : WINHTTP_NO_REQUEST_DATA;
    if (!WinHttpSendRequest(http.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, body, bodySize, bodySize, 0) ||
        !limitOrFail() || !WinHttpReceiveResponse(http.get(), nullptr)) {
        return lastFailure();
    }

    HttpResult result;
    DWORD status = 0;
    DWORD statusSize = sizeof status;
    if (!WinHttpQueryHeaders(http.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &statusSize, WINHTTP_NO_HEADER_INDEX)) {
        return lastFailure();
    }
    result.status = static_cast<int>(status);

    // Wine hands over whatever follows the body on the connection, past Content-Length: stop there.
    std::size_t limit = request.maxBodyBytes;
    DWORD contentLength = 0;
    DWORD lengthSize = sizeof contentLength;
    if (WinHttpQueryHeaders(http.get(), WINHTTP_QUERY_CONTENT_LENGTH | WINHTTP_QUERY_FLAG_NUMBER,
                            WINHTTP_HEADER_NAME_BY_INDEX, &contentLength, &lengthSize, WINHTTP_NO_HEADER_INDEX)) {
        limit = std::min<std::size_t>(limit, contentLength);
    }
    std::string bytes;
    char buffer[16384];
    while (bytes.size() < limit) {
        // One wait per piece that arrives (a read of a given size waits until all of it is there), so the
        // deadline is looked at between them.
        DWORD available = 0;
        if (!limitOrFail() || !WinHttpQueryDataAvailable(http.get(), &available)) return lastFailure();
        if (available == 0) break;
        const DWORD wanted =
            static_cast<DWORD>(std::min({sizeof buffer, limit - bytes.size(), std::size_t{available}}));
        DWORD read = 0;
        if (!WinHttpReadData(http.get(), buffer, wanted, &read)) return lastFailure();
        if (read == 0) break;
        bytes.append(buffer, read);
    }

    result.body = answerText(bytes, narrow(queryString(http.get(), WINHTTP_QUERY_CONTENT_TYPE)), systemCodePage,
                             request.maxBodyBytes);
    result.ok = true;
    return result;
}

}  // namespace tavrio::win32
