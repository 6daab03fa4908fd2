#include <gtest/gtest.h>

#include "listening_port.h"
#include "panel_driver.h"
#include "sim_client.h"

namespace e2e {
namespace {

class Messaging : public ::testing::Test {
protected:
    void TearDown() override { killAll(L"bot.exe"); }
};

std::string send(Panel& panel, const std::string& phone, const std::string& text) {
    panel.typeText(Control::txtPhone, phone);
    panel.typeText(Control::txtMessage, text);
    panel.click(Control::Command2);
    return panel.answerMessageBox().text;
}

TEST_F(Messaging, AMessageIsSentLoggedAndItsAnswerShown) {
    ProgramFolder folder("send");
    Panel panel(folder);
    ASSERT_TRUE(panel.startLinked());

    EXPECT_EQ(send(panel, "919812345678", "it's \"ready\" \\ done"), "Message sent to 919812345678.");
    const std::string log = folder.read("log\\messages.log");
    EXPECT_NE(log.find(R"(it's \"ready\" \\ done)"), std::string::npos) << log;
    EXPECT_EQ(folder.read("log\\message-counter.txt"), "1\r\n");
    // The bot refuses a bad phone with its own sentence, shown as it is.
    EXPECT_NE(send(panel, "", "x").find("phone"), std::string::npos);
}

TEST_F(Messaging, AWrongKeyAnswerIsShownAsItsText) {
    ProgramFolder folder("wrong-key");
    folder.write("bot-sim.ini", "[sim]\r\nkey=other\r\n");
    Panel panel(folder);
    ASSERT_TRUE(panel.startLinked());
    EXPECT_EQ(send(panel, "911", "hello"), "Invalid key.");
    EXPECT_FALSE(folder.exists("log\\messages.log"));
}

TEST_F(Messaging, NoBotRunningShowsTheFailureAndTheWindowCarriesOn) {
    ProgramFolder folder("send-no-bot");
    ASSERT_TRUE(nothingListensOn(folder.port()))
        << "another program listens on port " << folder.port() << "; set TAVRIO_E2E_PORT_BASE to a free range";
    Panel panel(folder);
    ASSERT_TRUE(panel.start());
    ASSERT_NE(panel.window(), nullptr);
    const std::string failure = send(panel, "911", "hello");
    EXPECT_EQ(failure.rfind("-2147012867\r\n", 0), 0u) << failure;
    EXPECT_EQ(panel.text(Control::txtMessage), "hello");
    panel.typeText(Control::txtPort, "80@example.com");
    EXPECT_EQ(send(panel, "911", "hello").rfind("-2147012891\r\n", 0), 0u);
    EXPECT_TRUE(panel.running());
}

}  // namespace
}  // namespace e2e
