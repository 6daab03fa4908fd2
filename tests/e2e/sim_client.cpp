#include "sim_client.h"

#include <windows.h>
#include <winhttp.h>

#include "panel_driver.h"

namespace e2e {

SimAnswer simRequest(int port, const std::string& method, const std::string& path, const std::string& body,
                     const std::string& authorization) {
    SimAnswer answer;
    HINTERNET session = WinHttpOpen(L"e2e", WINHTTP_ACCESS_TYPE_NO_PROXY, nullptr, nullptr, 0);
    HINTERNET connection =
        session ? WinHttpConnect(session, L"127.0.0.1", static_cast<INTERNET_PORT>(port), 0) : nullptr;
    HINTERNET request = connection ? WinHttpOpenRequest(connection, widen(method).c_str(), widen(path).c_str(), nullptr,
                                                        nullptr, nullptr, 0)
                                   : nullptr;
    if (request) {
        WinHttpSetTimeouts(request, 5000, 5000, 5000, 5000);
        std::wstring headers = L"Content-Type: application/json\r\n";
        if (!authorization.empty()) headers += L"Authorization: " + widen(authorization) + L"\r\n";
        if (WinHttpSendRequest(request, headers.c_str(), static_cast<DWORD>(-1), const_cast<char*>(body.data()),
                               static_cast<DWORD>(body.size()), static_cast<DWORD>(body.size()), 0) &&
            WinHttpReceiveResponse(request, nullptr)) {
            DWORD status = 0, size = sizeof status;
            WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, nullptr, &status, &size,
                                nullptr);
            answer.status = static_cast<int>(status);
            char buffer[4096];
            DWORD read = 0;
            while (WinHttpReadData(request, buffer, sizeof buffer, &read) && read > 0) answer.body.append(buffer, read);
            answer.ok = true;
        }
    }
    if (request) WinHttpCloseHandle(request);
    if (connection) WinHttpCloseHandle(connection);
    if (session) WinHttpCloseHandle(session);
    return answer;
}

std::string jsonMember(const std::string& json, const std::string& name) {
    const std::string key = "\"" + name + "\":\"";
    const std::size_t start = json.find(key);
    if (start == std::string::npos) return "";
    std::string value;
    for (std::size_t i = start + key.size(); i < json.size() && json[i] != '"'; ++i) {
        if (json[i] == '\\' && i + 1 < json.size()) ++i;
        value += json[i];
    }
    return value;
}

}  // namespace e2e
