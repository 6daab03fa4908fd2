// WinHTTP against a loopback server of the test's own that records the request and plays back one answer.
#include <gtest/gtest.h>

#include "raw_bot.h"
#include "win32/http_client_win32.h"
#include "win32/win32.h"

#include <tlhelp32.h>
#include <winsock2.h>

#include <cstdio>
#include <string>
#include <thread>

namespace tavrio::win32 {
namespace {

// A TCP socket bound to a free loopback port (Winsock already started); its port in `port`.
SOCKET bindFreeLoopbackPort(int& port) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    int size = sizeof address;
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &size);
    port = ntohs(address.sin_port);
    return s;
}

class LoopbackServer {
public:
    // `answer`: the bytes sent back whole.
    explicit LoopbackServer(std::string answer) : answer_(std::move(answer)) {
        WSADATA data{};
        WSAStartup(MAKEWORD(2, 2), &data);
        listener_ = bindFreeLoopbackPort(port_);
        listen(listener_, 1);
        thread_ = std::thread([this] { serveOne(); });
    }
    ~LoopbackServer() {
        closesocket(listener_);
        thread_.join();
        WSACleanup();
    }
    std::string url(const std::string& path) const { return "http://localhost:" + std::to_string(port_) + path; }
    // The request as it arrived (after the answer has been read, it is complete).
    std::string request() {
        thread_.join();
        thread_ = std::thread([] {});
        return request_;
    }

private:
    void serveOne() {
        SOCKET client = accept(listener_, nullptr, nullptr);
        if (client == INVALID_SOCKET) return;
        char buffer[4096];
        // Headers, then as many body bytes as Content-Length says.
        for (;;) {
            const std::size_t end = request_.find("\r\n\r\n");
            if (end != std::string::npos) {
                const std::size_t at = request_.find("Content-Length: ");
                const std::size_t length = at == std::string::npos ? 0 : std::stoul(request_.substr(at + 16));
                if (request_.size() >= end + 4 + length) break;
            }
            const int got = recv(client, buffer, sizeof buffer, 0);
            if (got <= 0) break;
            request_.append(buffer, static_cast<std::size_t>(got));
        }
        send(client, answer_.data(), static_cast<int>(answer_.size()), 0);
        shutdown(client, SD_BOTH);
        closesocket(client);
    }

    std::string answer_;
    SOCKET listener_ = INVALID_SOCKET;
    int port_ = 0;
    std::string request_;
    std::thread thread_;
};

std::string answer(const std::string& status, const std::string& contentType, const std::string& body) {
    std::string text = "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n";
    if (!contentType.empty()) text += "Content-Type: " + contentType + "\r\n";
    return text + "Connection: close\r\n\r\n" + body;
}

HttpRequest get(const std::string& url) {
    HttpRequest request;
    request.method = "GET";
    request.url = url;
    return request;
}

TEST(HttpClientWin32, SendsTheHeadersAndBodyAsGivenAndNoAgentOfItsOwn) {
    LoopbackServer server(answer("200 OK", "application/json", "{\"ok\":1}"));
    HttpRequest request;
    request.method = "POST";
    request.url = server.url("/send-text");
    request.headers = {{"Content-Type", "application/json"}, {"Authorization", "qvx"}};
    request.body = "{\"phone\":\"91\",\"text\":\"gr\xC3\xBC\xC3\x9F\"}";
    const HttpResult result = HttpClientWin32().send(request);

    ASSERT_TRUE(result.ok) << result.errorDescription;
    EXPECT_EQ(result.status, 200);
    EXPECT_EQ(result.body, "{\"ok\":1}");
    const std::string sent = server.request();
    EXPECT_EQ(sent.rfind("POST /send-text HTTP/1.1\r\n", 0), 0u) << sent;
    EXPECT_NE(sent.find("Content-Type: application/json\r\n"), std::string::npos) << sent;
    EXPECT_LT(sent.find("Content-Type: application/json"), sent.find("Authorization: qvx")) << sent;
    EXPECT_EQ(sent.find("User-Agent"), std::string::npos) << sent;
    EXPECT_EQ(sent.substr(sent.find("\r\n\r\n") + 4), request.body);
}

TEST(HttpClientWin32, TheUserAgentIsTheRequestsOnly) {
    LoopbackServer server(answer("200 OK", "", "x"));
    HttpRequest request = get(server.url("/phone"));
    request.headers = {{"User-Agent", "Mozilla/5.0 (Windows NT 10.0; Win64; x64)"}};
    request.timeouts = {20000, 20000, 20000, 20000};
    ASSERT_TRUE(HttpClientWin32().send(request).ok);
    const std::string sent = server.request();
    EXPECT_NE(sent.find("User-Agent: Mozilla/5.0 (Windows NT 10.0; Win64; x64)\r\n"), std::string::npos) << sent;
    EXPECT_EQ(sent.find("User-Agent"), sent.rfind("User-Agent")) << sent;
}

TEST(HttpClientWin32, AnErrorStatusStillCarriesItsBody) {
    LoopbackServer server(answer("404 Not Found", "text/plain", "x"));
    const HttpResult result = HttpClientWin32().send(get(server.url("/phone")));
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.status, 404);
    EXPECT_EQ(result.body, "x");
}

TEST(HttpClientWin32, StopsReadingAtTheLimit) {
    LoopbackServer server(answer("200 OK", "text/plain", std::string(100000, 'a')));
    HttpRequest request = get(server.url("/"));
    request.maxBodyBytes = 1000;
    const HttpResult result = HttpClientWin32().send(request);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.body, std::string(1000, 'a'));
}

TEST(HttpClientWin32, DecodesTheBodyByItsCharset) {
    {
        LoopbackServer server(answer("200 OK", "text/plain; charset=windows-1251", "\xEF\xF0\xE8"));
        EXPECT_EQ(HttpClientWin32().send(get(server.url("/"))).body, "\xD0\xBF\xD1\x80\xD0\xB8");  // "при"
    }
    {
        LoopbackServer server(answer("200 OK", "text/plain; charset=\"UTF-16LE\"", std::string("h\0i\0", 4)));
        EXPECT_EQ(HttpClientWin32().send(get(server.url("/"))).body, "hi");
    }
    {
        // Malformed UTF-8 never reaches the core as such.
        LoopbackServer server(answer("200 OK", "text/plain",
                                     "a\xFF"
                                     "b"));
        EXPECT_EQ(HttpClientWin32().send(get(server.url("/"))).body,
                  "a\xEF\xBF\xBD"
                  "b");
    }
}

TEST(HttpClientWin32, ARefusedConnectionIsReportedAsTheSystemsError) {
    // A port that was free a moment ago, with nobody listening on it.
    WSADATA data{};
    WSAStartup(MAKEWORD(2, 2), &data);
    int port = 0;
    closesocket(bindFreeLoopbackPort(port));
    WSACleanup();

    const HttpResult result = HttpClientWin32().send(get("http://localhost:" + std::to_string(port) + "/phone"));
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.errorNumber, -2147012867);  // HRESULT of ERROR_WINHTTP_CANNOT_CONNECT (12029)
    EXPECT_FALSE(result.errorDescription.empty());
    EXPECT_NE(result.errorDescription.back(), '\n');
}

// A silent bot trips a phase's time-out; one that keeps dripping trips none of them (each bounds a single
// wait), so the whole request's deadline, the sum of the four, ends it in the same failure.
TEST(HttpClientWin32, ASilentOrDrippingBotEndsInTheTimeoutFailure) {
    using tavrio::testing::RawBot;
    RawBot bot;
    const std::pair<const char*, RawBot::Play> cases[] = {
        {"silent", RawBot::silent(15000)},
        {"dripping",
         [](SOCKET s) {
             RawBot::says("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n")(s);
             for (int i = 0; i < 100 && send(s, "x", 1, 0) == 1; ++i) Sleep(50);
         }},
    };
    HttpRequest request = get("http://localhost:" + std::to_string(bot.port()) + "/phone");
    request.timeouts = {250, 250, 250, 250};  // a second in all; a drip's gap is far shorter than one wait
    for (const auto& [name, play] : cases) {
        SCOPED_TRACE(name);
        bot.play(play);
        const DWORD started = GetTickCount();
        const HttpResult result = HttpClientWin32().send(request);
        const DWORD elapsed = GetTickCount() - started;
        std::printf("[ time-out ] %-16s %s after %lu ms\n", name, result.ok ? "answer" : "failure", elapsed);
        EXPECT_LT(elapsed, 10000u) << "ended by the client, not by the bot letting go";
        EXPECT_FALSE(result.ok) << result.body.size() << " bytes";
        EXPECT_EQ(result.errorNumber, static_cast<std::int32_t>(HRESULT_FROM_WIN32(12002)));  // ERROR_WINHTTP_TIMEOUT
    }
}

int threadsOfThisProcess() {
    UniqueHandle snapshot = ownHandle(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Thread32First(snapshot.get(), &entry); more; more = Thread32Next(snapshot.get(), &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
    }
    return count;
}

TEST(HttpClientWin32, ALoopbackRequestWithTimeoutsLeavesNoWorkerThreadBehind) {
    const int before = threadsOfThisProcess();
    {
        LoopbackServer server("HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok");
        HttpRequest request = get(server.url("/phone"));
        request.timeouts = {20000, 20000, 20000, 20000};  // the poller's
        const HttpResult result = HttpClientWin32().send(request);
        EXPECT_TRUE(result.ok);
        EXPECT_EQ(result.body, "ok");
    }
    EXPECT_EQ(threadsOfThisProcess(), before);
}

TEST(HttpClientWin32, AnUnusableAddressFailsBeforeSending) {
    const HttpResult result = HttpClientWin32().send(get("localhost:3033/phone"));
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.errorNumber, 0);
    EXPECT_FALSE(result.errorDescription.empty());
}

using tavrio::testing::RawBot;

struct Misbehaviour {
    const char* name;
    RawBot::Play play;
    // The body, when the answer counts as one; nullptr when it must be a failure; "*" for either.
    const char* body;
};

// Every broken answer ends in a failure or a cut answer of valid UTF-8, within the time-outs, and the next
// request to a well-behaved bot works.
TEST(HttpClientWin32, ABotSpeakingBrokenHttpGivesAFailureOrACutAnswer) {
    RawBot bot;
    const std::string big(2 << 20, 'h');
    const Misbehaviour cases[] = {
        {"no status line", RawBot::says("hello there\r\n\r\n"), "*"},
        {"status line only, then closed", RawBot::says("HTTP/1.1 200 OK\r\n"), "*"},
        {"2 MiB header", RawBot::says("HTTP/1.1 200 OK\r\nX-Big: " + big + "\r\nContent-Length: 2\r\n\r\nok"), "*"},
        {"body past Content-Length", RawBot::says("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhelloEXTRA"), "hello"},
        {"body short of Content-Length", RawBot::says("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nhi"), "*"},
        {"bad chunk size",
         RawBot::says("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\nhello\r\n0\r\n\r\n"), "*"},
        {"trickled a byte a second",
         [](SOCKET s) {
             RawBot::says("HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\n")(s);
             for (char c : std::string("abc")) {
                 Sleep(1000);
                 RawBot::says(std::string(1, c))(s);
             }
         },
         "abc"},
        {"reset halfway", RawBot::resetsAfter("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nhalf"), "*"},
        {"never answers", RawBot::silent(15000), nullptr},
    };
    HttpRequest request = get("http://localhost:" + std::to_string(bot.port()) + "/phone");
    request.timeouts = {2000, 2000, 2000, 2000};
    for (const Misbehaviour& c : cases) {
        SCOPED_TRACE(c.name);
        bot.play(c.play);
        const DWORD started = GetTickCount();
        const HttpResult result = HttpClientWin32().send(request);
        const DWORD elapsed = GetTickCount() - started;
        std::printf("[ broken ] %-32s %s %d %s (%lu ms)\n", c.name, result.ok ? "answer" : "failure",
                    result.ok ? result.status : static_cast<int>(result.errorNumber),
                    (result.ok ? result.body.substr(0, 16) : result.errorDescription).c_str(), elapsed);
        EXPECT_LT(elapsed, 10000u) << "the time-outs bound every wait";
        if (result.ok) {
            EXPECT_NE(c.body, nullptr);
            EXPECT_LE(result.body.size(), kMaxAnswerBytes);
            if (c.body && std::string(c.body) != "*") {
                EXPECT_EQ(result.body, c.body);
            }
        } else {
            EXPECT_TRUE(c.body == nullptr || std::string(c.body) == "*") << result.errorDescription;
            EXPECT_NE(result.errorNumber, 0);
            EXPECT_FALSE(result.errorDescription.empty());
        }
        bot.play(RawBot::says(answer("200 OK", "application/json", "{\"phone\":\"91\"}")));
        const HttpResult healthy = HttpClientWin32().send(request);
        EXPECT_TRUE(healthy.ok) << healthy.errorDescription;
        EXPECT_EQ(healthy.body, "{\"phone\":\"91\"}");
    }
}

}  // namespace
}  // namespace tavrio::win32
