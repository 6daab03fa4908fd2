#pragma once
// The simulated bot: its link state, the marker files it leaves for the panel, and its answers to HTTP requests.
// Single-threaded: the server calls it from its one I/O thread.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "sim_options.h"

namespace botsim {

struct Request {
    std::string method;
    std::string target;
    std::string authorization;
    std::string body;
    bool wantsHtml = false;  // a browser's form post: answer with a redirect back to the page
};

struct Reply {
    int status = 200;
    std::string body;
    std::string contentType = "text/plain; charset=utf-8";
    std::vector<std::pair<std::string, std::string>> headers;
};

class Simulator {
public:
    using Clock = std::chrono::steady_clock;

    Simulator(std::filesystem::path folder, SimOptions options);

    // Writes start.txt, then ws.txt with a saved link or a first qr.txt without one.
    void start(Clock::time_point now);
    // Fresh pairing texts and the automatic link; the server calls it a few times a second.
    void tick(Clock::time_point now);
    Reply handle(const Request& request, Clock::time_point now);

    bool link();
    void unlink(Clock::time_point now);
    bool requestRestart();

    bool linked() const { return linked_; }
    const std::string& pairingText() const { return pairing_; }
    std::uint64_t messagesSent() const { return total_; }

private:
    std::filesystem::path file(const char* name) const { return folder_ / name; }
    void enterWaiting(Clock::time_point now);
    void newPairing(Clock::time_point now);
    Reply sendText(const Request& request);
    Reply page() const;
    Reply phone() const;
    Reply state() const;

    std::filesystem::path folder_;
    SimOptions options_;
    std::mt19937_64 random_;
    bool linked_ = false;
    std::string pairing_;
    Clock::time_point nextPairing_{};
    std::optional<Clock::time_point> autoLinkAt_;
    std::uint64_t total_ = 0;
};

Reply plainReply(int status, std::string body);
// "2@" and four base64 fields, about 240 characters, shaped like a real pairing code.
std::string makePairingText(std::mt19937_64& random);
// The last line of the counter file that holds a number, or 0.
std::uint64_t readCounter(const std::filesystem::path& file);

}  // namespace botsim
