#include "simulator.h"

#include <algorithm>
#include <charconv>
#include <ctime>
#include <exception>
#include <nlohmann/json.hpp>

#include "sim_files.h"

namespace botsim {
namespace {

const char kCounterFile[] = "log/message-counter.txt";

// Options come from a hand-edited file and may hold bytes that are not UTF-8; replace them rather than throw.
std::string dump(const nlohmann::json& value) {
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

Reply json(const nlohmann::json& value) {
    Reply reply;
    reply.body = dump(value);
    reply.contentType = "application/json";
    return reply;
}

Reply notAllowed(const char* method) {
    Reply reply = plainReply(405, "Method not allowed.");
    reply.headers.emplace_back("Allow", method);
    return reply;
}

std::string base64(const std::vector<unsigned char>& bytes) {
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        unsigned v = bytes[i] << 16;
        if (n > 1) v |= bytes[i + 1] << 8;
        if (n > 2) v |= bytes[i + 2];
        for (std::size_t k = 0; k < 4; ++k) out += k <= n ? digits[(v >> (18 - 6 * k)) & 63] : '=';
    }
    return out;
}

std::string escapeHtml(const std::string& s) {
    std::string out;
    for (char c : s) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string utcStamp() {
    const std::time_t now = std::time(nullptr);
    char buffer[32] = "";
    if (const std::tm* tm = std::gmtime(&now)) std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%SZ", tm);
    return buffer;
}

}  // namespace

Reply plainReply(int status, std::string body) {
    Reply reply;
    reply.status = status;
    reply.body = std::move(body);
    return reply;
}

std::string makePairingText(std::mt19937_64& random) {
    std::string out = "2@";
    for (const std::size_t size : {96, 32, 32, 16}) {
        std::vector<unsigned char> bytes(size);
        for (auto& b : bytes) b = static_cast<unsigned char>(random());
        if (out.size() > 2) out += ',';
        out += base64(bytes);
    }
    return out;
}

std::uint64_t readCounter(const std::filesystem::path& file) {
    const std::string content = readText(file).value_or("");
    std::uint64_t total = 0;
    std::size_t begin = 0;
    while (begin < content.size()) {
        const std::size_t end = std::min(content.find_first_of("\r\n", begin), content.size());
        std::uint64_t n = 0;
        const char* first = content.data() + begin;
        const char* last = content.data() + end;
        const auto [stop, ec] = std::from_chars(first, last, n);
        if (ec == std::errc() && stop == last) total = n;
        begin = end + 1;
    }
    return total;
}

Simulator::Simulator(std::filesystem::path folder, SimOptions options)
    : folder_(std::move(folder)), options_(std::move(options)), random_(std::random_device{}()) {}

void Simulator::start(Clock::time_point now) {
    total_ = readCounter(file(kCounterFile));
    writeWhole(file("start.txt"), "started\r\n");
    std::error_code ec;
    if (std::filesystem::is_regular_file(file("session.db"), ec)) {
        linked_ = true;
        removeFile(file("qr.txt"));
        writeWhole(file("ws.txt"), "ready\r\n");
    } else {
        // A ws.txt left from an earlier run would tell the panel that a phone is linked.
        removeFile(file("ws.txt"));
        enterWaiting(now);
    }
}

void Simulator::tick(Clock::time_point now) {
    if (linked_) return;
    if (autoLinkAt_ && now >= *autoLinkAt_ && link()) return;
    if (now >= nextPairing_) newPairing(now);
}

void Simulator::enterWaiting(Clock::time_point now) {
    linked_ = false;
    autoLinkAt_.reset();
    if (options_.linkAfterSeconds >= 0) autoLinkAt_ = now + std::chrono::seconds(options_.linkAfterSeconds);
    newPairing(now);
}

void Simulator::newPairing(Clock::time_point now) {
    pairing_ = makePairingText(random_);
    // No trailing line break: the panel encodes the file's whole content.
    const bool written = writeWhole(file("qr.txt"), pairing_);
    nextPairing_ = now + std::chrono::seconds(written ? options_.qrRefreshSeconds : 1);
}

bool Simulator::link() {
    if (linked_) return true;
    const nlohmann::json session = {{"phone", options_.phone}, {"name", options_.name}, {"linked", utcStamp()}};
    if (!writeWhole(file("session.db"), dump(session) + "\r\n")) return false;
    removeFile(file("qr.txt"));
    if (!writeWhole(file("ws.txt"), "ready\r\n")) return false;
    linked_ = true;
    autoLinkAt_.reset();
    return true;
}

void Simulator::unlink(Clock::time_point now) {
    if (!linked_) return;
    removeFile(file("session.db"));
    removeFile(file("ws.txt"));
    enterWaiting(now);
}

bool Simulator::requestRestart() { return writeWhole(file("ssreomve.txt"), "restart\r\n"); }

Reply Simulator::handle(const Request& request, Clock::time_point now) {
    try {
        const std::string path = request.target.substr(0, request.target.find('?'));
        const bool get = request.method == "GET";
        const bool post = request.method == "POST";
        // A browser that posted one of the page's forms goes back to the page.
        const auto done = [&](Reply reply) {
            if (request.wantsHtml && reply.status == 200) {
                reply.status = 303;
                reply.headers.emplace_back("Location", "/");
            }
            return reply;
        };
        if (path == "/") return get ? page() : notAllowed("GET");
        if (path == "/phone") return get ? phone() : notAllowed("GET");
        if (path == "/sim/state") return get ? state() : notAllowed("GET");
        if (path == "/send-text") return post ? sendText(request) : notAllowed("POST");
        const bool action = path == "/sim/link" || path == "/sim/unlink" || path == "/sim/restart";
        if (action && !post) return notAllowed("POST");
        if (path == "/sim/link")
            return done(link() ? plainReply(200, "Linked.") : plainReply(500, "Could not save the session."));
        if (path == "/sim/unlink") {
            unlink(now);
            return done(plainReply(200, "Unlinked."));
        }
        if (path == "/sim/restart")
            return done(requestRestart() ? plainReply(200, "Restart requested.")
                                         : plainReply(500, "Could not write the restart request."));
        return plainReply(404, "Not found.");
    } catch (const std::exception&) {
        return plainReply(500, "Internal error.");
    }
}

Reply Simulator::sendText(const Request& request) {
    if (request.authorization != options_.key) return plainReply(401, "Invalid key.");
    const nlohmann::json body = nlohmann::json::parse(request.body, nullptr, false);
    if (body.is_discarded()) return plainReply(400, "The request body is not valid JSON.");
    const auto member = [&](const char* name) {
        return body.is_object() && body.contains(name) && body[name].is_string();
    };
    if (!member("phone") || !member("text"))
        return plainReply(400, "The request needs the text members phone and text.");
    const std::string phone = body["phone"];
    const std::string message = body["text"];
    if (phone.empty() || !std::all_of(phone.begin(), phone.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return plainReply(400,
                          "The phone number must be digits only, with the country code, for example 919876543210.");
    if (!linked_) return plainReply(409, "No phone is linked yet: scan the QR code first.");

    std::error_code ec;
    std::filesystem::create_directories(file("log"), ec);
    const nlohmann::json line = {{"time", utcStamp()}, {"phone", phone}, {"text", message}};
    if (!appendText(file("log/messages.log"), dump(line) + "\r\n"))
        return plainReply(500, "Could not write the message log.");
    ++total_;
    // The panel shows the counter file's last line; lines end with CR LF, which its reader needs.
    if (!writeWhole(file(kCounterFile), std::to_string(total_) + "\r\n"))
        return plainReply(500, "The message was logged but the counter file could not be written.");
    return plainReply(200, "Message sent to " + phone + ".");
}

Reply Simulator::phone() const {
    if (!linked_) return json({{"status", "not linked"}});
    return json({{"phone", options_.phone}, {"name", options_.name}});
}

Reply Simulator::state() const {
    return json({{"linked", linked_},
                 {"pairing", linked_ ? "" : pairing_},
                 {"messages", total_},
                 {"phone", options_.phone},
                 {"port", options_.port}});
}

Reply Simulator::page() const {
    std::string html =
        "<!doctype html><html><head><meta charset=\"utf-8\"><meta http-equiv=\"refresh\" content=\"5\">"
        "<title>Bot simulator</title></head><body style=\"font-family:sans-serif;max-width:40em\">"
        "<h1>Bot simulator</h1>";
    const auto button = [](const char* action, const char* caption) {
        return std::string("<form method=\"post\" action=\"") + action + "\"><button>" + caption + "</button></form>";
    };
    if (linked_) {
        html += "<p>Linked to " + escapeHtml(options_.phone) + " (" + escapeHtml(options_.name) +
                "). Messages sent: " + std::to_string(total_) + ".</p>" + button("/sim/unlink", "Unlink phone");
    } else {
        html +=
            "<p>Waiting for a phone. Pairing text (the panel shows it as a QR code):</p>"
            "<pre style=\"white-space:pre-wrap;word-break:break-all\">" +
            escapeHtml(pairing_) + "</pre>" + button("/sim/link", "Link phone");
    }
    html += button("/sim/restart", "Ask the panel to restart the bot") + "</body></html>";
    Reply reply = plainReply(200, std::move(html));
    reply.contentType = "text/html; charset=utf-8";
    return reply;
}

}  // namespace botsim
