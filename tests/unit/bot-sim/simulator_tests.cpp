#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>

#include "simulator.h"
#include "temp_folder.h"

using namespace botsim;
using namespace std::chrono_literals;

namespace {

const Simulator::Clock::time_point T0 = Simulator::Clock::time_point{} + 1h;

class BotSimulator : public ::testing::Test {
protected:
    TempFolder folder;
    SimOptions options;
    std::unique_ptr<Simulator> sim;

    Simulator& start(Simulator::Clock::time_point now = T0) {
        sim = std::make_unique<Simulator>(folder.path, options);
        sim->start(now);
        return *sim;
    }
    Reply call(const std::string& method, const std::string& target, const std::string& body = "",
               const std::string& key = "qvx") {
        return sim->handle({method, target, key, body}, T0);
    }
    Reply send(const std::string& body, const std::string& key = "qvx") {
        return call("POST", "/send-text", body, key);
    }
    // Every file under the folder, with forward slashes.
    std::vector<std::string> files() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(folder.path))
            if (entry.is_regular_file()) names.push_back(fs::relative(entry.path(), folder.path).generic_string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(BotSimulator, StartWithoutSessionWritesPairingTextAndDropsStaleReady) {
    folder.write("ws.txt", "");
    start();
    EXPECT_TRUE(folder.has("start.txt"));
    EXPECT_FALSE(folder.has("ws.txt"));
    const std::string qr = folder.read("qr.txt");
    EXPECT_EQ(qr, sim->pairingText());
    EXPECT_TRUE(std::regex_match(qr, std::regex("2@[A-Za-z0-9+/=]+(,[A-Za-z0-9+/=]+){3}"))) << qr;
    EXPECT_NEAR(static_cast<double>(qr.size()), 240, 10);
    EXPECT_EQ(call("GET", "/phone").body, R"({"status":"not linked"})");
    EXPECT_EQ(files(), (std::vector<std::string>{"qr.txt", "start.txt"}));
}

TEST_F(BotSimulator, StartWithSavedSessionIsReadyAtOnce) {
    folder.write("session.db", "x");
    folder.write("qr.txt", "old");
    start();
    EXPECT_TRUE(sim->linked());
    EXPECT_TRUE(folder.has("ws.txt"));
    EXPECT_FALSE(folder.has("qr.txt"));
    const Reply phone = call("GET", "/phone?x=1");
    EXPECT_EQ(phone.status, 200);
    EXPECT_EQ(phone.body, R"({"name":"Demo Shop","phone":"919876543210"})");
}

TEST_F(BotSimulator, PairingTextIsRenewedUntilLinkedEvenAfterThePanelDeletesIt) {
    start();
    const std::string first = folder.read("qr.txt");
    fs::remove(folder.path / "qr.txt");  // what the panel does once it has shown the code
    sim->tick(T0 + 19s);
    EXPECT_FALSE(folder.has("qr.txt"));
    sim->tick(T0 + 20s);
    EXPECT_NE(folder.read("qr.txt"), first);

    EXPECT_EQ(call("POST", "/sim/link").body, "Linked.");
    EXPECT_TRUE(folder.has("session.db"));
    EXPECT_TRUE(folder.has("ws.txt"));
    EXPECT_FALSE(folder.has("qr.txt"));
    sim->tick(T0 + 100s);
    EXPECT_FALSE(folder.has("qr.txt"));
}

TEST_F(BotSimulator, UnlinkGoesBackToPairingAndRestartAsksThePanel) {
    start();
    ASSERT_TRUE(sim->link());
    EXPECT_EQ(call("POST", "/sim/unlink").status, 200);
    EXPECT_FALSE(sim->linked());
    EXPECT_FALSE(folder.has("session.db"));
    EXPECT_FALSE(folder.has("ws.txt"));
    EXPECT_EQ(folder.read("qr.txt"), sim->pairingText());

    EXPECT_EQ(call("POST", "/sim/restart").body, "Restart requested.");
    EXPECT_TRUE(folder.has("ssreomve.txt"));
    for (const auto& name : files()) EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
}

TEST_F(BotSimulator, LinksByItselfAfterTheConfiguredDelay) {
    options.linkAfterSeconds = 3;
    options.name = "Caf\xE9";  // an ini file saved in an ANSI code page
    start();
    sim->tick(T0 + 2s);
    EXPECT_FALSE(sim->linked());
    sim->tick(T0 + 3s);
    EXPECT_TRUE(sim->linked());
    EXPECT_TRUE(folder.has("ws.txt"));
    EXPECT_EQ(call("GET", "/phone").status, 200);
}

TEST_F(BotSimulator, SendTextRefusesBadRequestsWithASentence) {
    start();
    const std::string deep(40000, '[');
    const struct {
        const char* key;
        const char* body;
        int status;
        const char* answer;
    } cases[] = {
        {"wrong", R"({"phone":"91","text":"hi"})", 401, "Invalid key."},
        {"", R"({"phone":"91","text":"hi"})", 401, "Invalid key."},
        {"qvx", R"({"phone":"91","text":"it"s"})", 400, "not valid JSON"},  // the panel's apostrophe turned quote
        {"qvx", deep.c_str(), 400, "not valid JSON"},
        {"qvx", R"({"phone":"91"})", 400, "members phone and text"},
        {"qvx", R"({"phone":91,"text":"hi"})", 400, "members phone and text"},
        {"qvx", R"(["phone","text"])", 400, "members phone and text"},
        {"qvx", R"({"phone":"","text":"hi"})", 400, "digits only"},
        {"qvx", R"({"phone":"+91 98","text":"hi"})", 400, "digits only"},
        {"qvx", R"({"phone":"919876543210","text":"hi"})", 409, "No phone is linked"},
    };
    for (const auto& c : cases) {
        const Reply reply = send(c.body, c.key);
        EXPECT_EQ(reply.status, c.status) << c.body;
        EXPECT_NE(reply.body.find(c.answer), std::string::npos) << reply.body;
    }
    EXPECT_FALSE(folder.has("log"));
    EXPECT_EQ(sim->messagesSent(), 0u);
}

TEST_F(BotSimulator, KeyComesFromTheOptions) {
    options.key = "secret";
    start();
    ASSERT_TRUE(sim->link());
    EXPECT_EQ(send(R"({"phone":"91","text":"hi"})").status, 401);
    EXPECT_EQ(send(R"({"phone":"91","text":"hi"})", "secret").status, 200);
}

TEST_F(BotSimulator, SentMessagesAreLoggedOneLineEachAndCountedOnFromTheFile) {
    fs::create_directories(folder.path / "log");
    folder.write("log/message-counter.txt", "5\r\n7\r\n");
    start();
    ASSERT_TRUE(sim->link());
    const std::string texts[] = {"two\nlines \"quoted\" \\ back",
                                 "Gr\xC3\xBC\xC3\x9F"
                                 "e\r\n"};
    for (const auto& text : texts) {
        const Reply reply = send(nlohmann::json{{"phone", "919876543210"}, {"text", text}}.dump());
        EXPECT_EQ(reply.status, 200);
        EXPECT_EQ(reply.body, "Message sent to 919876543210.");
    }
    EXPECT_EQ(folder.read("log/message-counter.txt"), "9\r\n");
    EXPECT_EQ(call("GET", "/sim/state").body.find(R"("messages":9)") != std::string::npos, true);

    std::istringstream log(folder.read("log/messages.log"));
    std::string line;
    int n = 0;
    while (std::getline(log, line)) {
        ASSERT_LT(n, 2);
        ASSERT_FALSE(line.empty());
        ASSERT_EQ(line.back(), '\r');
        const auto entry = nlohmann::json::parse(line);
        EXPECT_EQ(entry.at("phone"), "919876543210");
        EXPECT_EQ(entry.at("text"), texts[n++]);
    }
    EXPECT_EQ(n, 2);
    EXPECT_EQ(files(), (std::vector<std::string>{"log/message-counter.txt", "log/messages.log", "session.db",
                                                 "start.txt", "ws.txt"}));
}

TEST_F(BotSimulator, CreatesTheLogFolderForTheFirstMessage) {
    start();
    ASSERT_TRUE(sim->link());
    EXPECT_EQ(send(R"({"phone":"91","text":""})").status, 200);
    EXPECT_EQ(folder.read("log/message-counter.txt"), "1\r\n");
}

TEST_F(BotSimulator, RoutesUnknownPathsWrongMethodsAndBrowserForms) {
    start();
    EXPECT_EQ(call("GET", "/nothing").status, 404);
    const Reply wrong = call("GET", "/send-text");
    EXPECT_EQ(wrong.status, 405);
    EXPECT_EQ(wrong.headers, (decltype(wrong.headers){{"Allow", "POST"}}));
    EXPECT_EQ(call("POST", "/phone").status, 405);
    EXPECT_EQ(call("DELETE", "/sim/link").status, 405);
    EXPECT_FALSE(sim->linked());

    const Reply page = call("GET", "/");
    EXPECT_NE(page.body.find(sim->pairingText()), std::string::npos);
    EXPECT_NE(page.body.find("action=\"/sim/link\""), std::string::npos);
    Request form{"POST", "/sim/link", "", "", true};
    const Reply redirect = sim->handle(form, T0);
    EXPECT_EQ(redirect.status, 303);
    EXPECT_TRUE(sim->linked());
}

TEST(BotSimFiles, WholeWritesReplaceAndLeaveNoTemporary) {
    TempFolder folder;
    const fs::path file = folder.path / "a.txt";
    ASSERT_TRUE(writeWhole(file, "first, longer text"));
    ASSERT_TRUE(writeWhole(file, "second"));
    EXPECT_EQ(folder.read("a.txt"), "second");
    EXPECT_FALSE(writeWhole(folder.path / "missing" / "b.txt", "x"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path), fs::directory_iterator()), 1);
}

TEST(BotSimFiles, CounterIsTheLastNumericLine) {
    TempFolder folder;
    const fs::path file = folder.path / "c.txt";
    EXPECT_EQ(readCounter(file), 0u);
    for (const auto& [text, total] : std::vector<std::pair<std::string, std::uint64_t>>{
             {"12", 12}, {"1\r\n2\r\n3\r\n\r\n", 3}, {"4\n5\n", 5}, {"7\r\njunk\r\n", 7}, {"junk", 0}, {"", 0}}) {
        writeWhole(file, text);
        EXPECT_EQ(readCounter(file), total) << text;
    }
}

}  // namespace
