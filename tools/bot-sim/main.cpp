// bot-sim: stands in for the real bot.exe so the panel can be shown and tested without a phone or a network.
#include <boost/asio/signal_set.hpp>
#include <csignal>
#include <exception>
#include <iostream>
#include <memory>
#include <thread>

#include "http_server.h"
#include "sim_files.h"
#include "sim_options.h"
#include "simulator.h"

int main() {
    using namespace botsim;
    loadSystemLibrariesOnly();
    const fs::path folder = executableFolder();
    std::vector<std::string> warnings;
    const SimOptions options = loadOptions(folder, warnings);
    for (const auto& warning : warnings) std::cerr << "bot-sim: " << warning << "\n";
    std::this_thread::sleep_for(std::chrono::milliseconds(options.startDelayMs));

    boost::asio::io_context io;
    Simulator simulator(folder, options);
    std::unique_ptr<BotServer> server;
    try {
        // Listen before any marker file appears, so the panel's first request after ws.txt finds the server.
        server =
            std::make_unique<BotServer>(io, simulator, options.port, std::chrono::milliseconds(options.ioTimeoutMs));
    } catch (const std::exception& e) {
        std::cerr << "bot-sim: cannot listen on 127.0.0.1:" << options.port << " (another bot running?): " << e.what()
                  << "\n";
        return 1;
    }
    simulator.start(Simulator::Clock::now());
    boost::asio::signal_set signals(io, SIGINT, SIGTERM);
    signals.async_wait([&io](const boost::system::error_code&, int) { io.stop(); });
    std::cerr << "bot-sim: listening on 127.0.0.1:" << server->port() << ", folder " << folder.string() << "\n";
    try {
        io.run();
    } catch (const std::exception& e) {
        std::cerr << "bot-sim: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
