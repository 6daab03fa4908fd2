#include "http_server.h"

#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <memory>

namespace botsim {
namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;

class Connection : public std::enable_shared_from_this<Connection> {
public:
    Connection(tcp::socket socket, Simulator& simulator, std::chrono::milliseconds timeout)
        : stream_(std::move(socket)), simulator_(simulator), timeout_(timeout) {
        parser_.body_limit(kBodyLimit);
        parser_.header_limit(kHeaderLimit);
    }

    void run() {
        stream_.expires_after(timeout_);
        http::async_read(stream_, buffer_, parser_,
                         [self = shared_from_this()](beast::error_code ec, std::size_t) { self->onRead(ec); });
    }

private:
    void onRead(beast::error_code ec) {
        // Nobody left to answer.
        if (ec == http::error::end_of_stream || ec == http::error::partial_message || ec == beast::error::timeout)
            return;
        Reply reply;
        if (ec == http::error::body_limit) {
            reply = plainReply(413, "The request is too large.");
        } else if (ec == http::error::header_limit) {
            reply = plainReply(431, "The request header is too large.");
        } else if (ec) {
            reply = plainReply(400, "Bad request.");
        } else {
            const auto& message = parser_.get();
            Request request;
            request.method = std::string(message.method_string());
            request.target = std::string(message.target());
            request.authorization = std::string(message[http::field::authorization]);
            request.body = message.body();
            request.wantsHtml = message[http::field::accept].find("text/html") != beast::string_view::npos;
            reply = simulator_.handle(request, Simulator::Clock::now());
        }
        response_.version(11);
        response_.result(static_cast<unsigned>(reply.status));
        response_.set(http::field::server, "bot-sim");
        response_.set(http::field::content_type, reply.contentType);
        for (const auto& [name, value] : reply.headers) response_.set(name, value);
        response_.body() = std::move(reply.body);
        response_.keep_alive(false);
        response_.prepare_payload();
        stream_.expires_after(timeout_);
        http::async_write(stream_, response_, [self = shared_from_this()](beast::error_code, std::size_t) {
            beast::error_code ignored;
            self->stream_.socket().shutdown(tcp::socket::shutdown_send, ignored);
        });
    }

    beast::tcp_stream stream_;
    Simulator& simulator_;
    std::chrono::milliseconds timeout_;
    beast::flat_buffer buffer_;
    http::request_parser<http::string_body> parser_;
    http::response<http::string_body> response_;
};

}  // namespace

BotServer::BotServer(asio::io_context& io, Simulator& simulator, unsigned short port,
                     std::chrono::milliseconds ioTimeout)
    : simulator_(simulator), acceptor_(io), ticker_(io), ioTimeout_(ioTimeout) {
    const tcp::endpoint endpoint(asio::ip::make_address_v4("127.0.0.1"), port);
    acceptor_.open(endpoint.protocol());
#ifndef _WIN32
    // On Windows this option would let a second bot share the port; elsewhere it only skips TIME_WAIT.
    acceptor_.set_option(tcp::acceptor::reuse_address(true));
#endif
    acceptor_.bind(endpoint);
    acceptor_.listen();
    accept();
    scheduleTick();
}

void BotServer::accept() {
    acceptor_.async_accept([this](beast::error_code ec, tcp::socket socket) {
        if (ec == asio::error::operation_aborted) return;
        if (!ec) std::make_shared<Connection>(std::move(socket), simulator_, ioTimeout_)->run();
        accept();
    });
}

void BotServer::scheduleTick() {
    ticker_.expires_after(std::chrono::milliseconds(250));
    ticker_.async_wait([this](beast::error_code ec) {
        if (ec) return;
        simulator_.tick(Simulator::Clock::now());
        scheduleTick();
    });
}

}  // namespace botsim
