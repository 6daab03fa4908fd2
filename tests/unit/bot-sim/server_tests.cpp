#include <gtest/gtest.h>

#include <boost/asio/read.hpp>
#include <boost/asio/write.hpp>
#include <thread>

#include "http_server.h"
#include "temp_folder.h"

using namespace botsim;
namespace asio = boost::asio;
using tcp = asio::ip::tcp;

namespace {

class BotSimServer : public ::testing::Test {
protected:
    TempFolder folder;
    Simulator sim{folder.path, SimOptions{}};
    asio::io_context io;
    BotServer server{io, sim, 0, std::chrono::milliseconds(300)};
    std::thread thread;

    void SetUp() override {
        sim.start(Simulator::Clock::now());
        thread = std::thread([this] { io.run(); });
    }
    void TearDown() override {
        io.stop();
        thread.join();
    }
    tcp::socket connect() {
        tcp::socket socket(client);
        socket.connect({asio::ip::make_address_v4("127.0.0.1"), server.port()});
        return socket;
    }
    // Sends raw bytes and reads until the server closes the connection.
    std::string exchange(const std::string& raw) {
        tcp::socket socket = connect();
        asio::write(socket, asio::buffer(raw));
        return readAll(socket);
    }
    static std::string readAll(tcp::socket& socket) {
        std::string answer;
        boost::system::error_code ec;
        asio::read(socket, asio::dynamic_buffer(answer), ec);
        return answer;
    }
    std::string post(const std::string& target, const std::string& body) {
        return exchange("POST " + target +
                        " HTTP/1.1\r\nHost: localhost\r\nContent-Type: application/json\r\n"
                        "Authorization: qvx\r\nContent-Length: " +
                        std::to_string(body.size()) + "\r\n\r\n" + body);
    }
    asio::io_context client;
};

bool startsWith(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

TEST_F(BotSimServer, LinksAndSendsOverLoopback) {
    EXPECT_TRUE(startsWith(post("/send-text", R"({"phone":"91","text":"hi"})"), "HTTP/1.1 409"));
    EXPECT_TRUE(startsWith(post("/sim/link", ""), "HTTP/1.1 200"));
    const std::string sent = post("/send-text", R"({"phone":"919876543210","text":"hi"})");
    EXPECT_TRUE(startsWith(sent, "HTTP/1.1 200")) << sent;
    EXPECT_NE(sent.find("\r\n\r\nMessage sent to 919876543210."), std::string::npos) << sent;
    const std::string phone = exchange("GET /phone HTTP/1.1\r\nHost: localhost\r\n\r\n");
    EXPECT_NE(phone.find(R"({"name":"Demo Shop","phone":"919876543210"})"), std::string::npos) << phone;
    EXPECT_EQ(folder.read("log/message-counter.txt"), "1\r\n");
}

TEST_F(BotSimServer, SurvivesBadRequestsAndDropsIdleClients) {
    tcp::socket idle = connect();  // sends nothing: must neither block others nor stay forever
    EXPECT_TRUE(
        startsWith(exchange("POST /send-text HTTP/1.1\r\nHost: x\r\nContent-Length: 100000\r\n\r\n"), "HTTP/1.1 413"));
    EXPECT_TRUE(startsWith(exchange("\x01\x02 nonsense\r\n\r\n"), "HTTP/1.1 400"));
    EXPECT_TRUE(startsWith(exchange("GET /x HTTP/1.1\r\nHost: x\r\n" + std::string(9000, 'a') + ": b\r\n\r\n"),
                           "HTTP/1.1 431"));
    EXPECT_TRUE(startsWith(exchange("GET /nowhere HTTP/1.1\r\nHost: x\r\n\r\n"), "HTTP/1.1 404"));
    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(readAll(idle), "");  // returns once the server gives up on it
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(3));
    EXPECT_TRUE(startsWith(exchange("GET /phone HTTP/1.1\r\nHost: x\r\n\r\n"), "HTTP/1.1 200"));
}

}  // namespace
