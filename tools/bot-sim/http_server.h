#pragma once
// The simulator's HTTP interface: Boost.Beast on one Asio thread, bound to 127.0.0.1 only. Every connection
// carries one request and has a deadline, so a slow or idle client cannot hold the server.
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>
#include <chrono>
#include <cstddef>

#include "simulator.h"

namespace botsim {

constexpr std::size_t kBodyLimit = 64 * 1024;
constexpr std::size_t kHeaderLimit = 8 * 1024;

class BotServer {
public:
    // Port 0 takes a free port (tests); throws boost::system::system_error when the port is taken.
    BotServer(boost::asio::io_context& io, Simulator& simulator, unsigned short port,
              std::chrono::milliseconds ioTimeout);
    unsigned short port() const { return acceptor_.local_endpoint().port(); }

private:
    void accept();
    void scheduleTick();

    Simulator& simulator_;
    boost::asio::ip::tcp::acceptor acceptor_;
    boost::asio::steady_timer ticker_;
    std::chrono::milliseconds ioTimeout_;
};

}  // namespace botsim
