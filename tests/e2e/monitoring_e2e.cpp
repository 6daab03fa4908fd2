#include <gtest/gtest.h>

#include <vector>

#include "listening_port.h"
#include "panel_driver.h"
#include "qr/qr_encoder.h"
#include "screen_capture.h"
#include "sim_client.h"

namespace e2e {
namespace {

class Monitoring : public ::testing::Test {
protected:
    void TearDown() override { killAll(L"bot.exe"); }
};

TEST_F(Monitoring, TheWholeRoadFromStartToReadyAndARestart) {
    ProgramFolder folder("road");
    folder.writeAutoStart(true);
    Panel panel(folder);
    ASSERT_TRUE(panel.start());
    ASSERT_NE(panel.window(), nullptr);

    // The bot's pairing text is shown as a QR code at the window's top-left corner.
    ASSERT_TRUE(
        waitFor([&] { return panel.windowVisible() && panel.visible(Control::QR1); }, std::chrono::seconds(30)));
    EXPECT_TRUE(waitFor([&] { return panel.text(Control::lblStatus) == " Waiting for Session..."; }));
    const std::string pairing = jsonMember(simRequest(folder.port(), "GET", "/sim/state").body, "pairing");
    ASSERT_FALSE(pairing.empty());
    ASSERT_TRUE(waitFor([&] { return !folder.exists("qr.txt"); })) << "the panel deletes the file once shown";
    RECT qr{};
    GetWindowRect(panel.control(Control::QR1), &qr);
    POINT origin{0, 0};
    ClientToScreen(panel.window(), &origin);
    EXPECT_EQ(qr.left, origin.x);
    EXPECT_EQ(qr.top, origin.y);
    const auto expected = tavrio::qr::encode(pairing, tavrio::qr::Ecc::M, false);
    ASSERT_TRUE(expected.has_value());
    // The control repaints after its text changed.
    const auto shownCode = [&] { return sampleModules(capture(panel.control(Control::QR1)), expected->size); };
    EXPECT_TRUE(waitFor([&] { return shownCode() == expected->modules; }, std::chrono::seconds(5)))
        << "the picture is the code of the pairing text";

    // Linked: ready, the code hidden, the phone without braces or quotes.
    ASSERT_TRUE(simRequest(folder.port(), "POST", "/sim/link").ok);
    ASSERT_TRUE(waitFor([&] { return panel.text(Control::lblStatus) == "BOT READY"; }));
    EXPECT_FALSE(panel.visible(Control::QR1));
    EXPECT_FALSE(panel.visible(Control::Label2));
    ASSERT_TRUE(waitFor([&] { return panel.text(Control::Label4).find("919876543210") != std::string::npos; }));
    const std::string phoneLine = panel.text(Control::Label4);
    EXPECT_EQ(phoneLine.find_first_of("{}\""), std::string::npos) << phoneLine;

    // The bot asks for a restart: a new bot, back to ready with the saved link.
    const std::string firstBot = panel.text(Control::Label3);
    ASSERT_TRUE(simRequest(folder.port(), "POST", "/sim/restart").ok);
    ASSERT_TRUE(waitFor([&] { return panel.text(Control::Label3) != firstBot; }, std::chrono::seconds(30)));
    EXPECT_FALSE(folder.exists("ssreomve.txt"));
    EXPECT_FALSE(panel.enabled(Control::cmdStart)) << "running again";
    ASSERT_TRUE(waitFor([&] { return panel.text(Control::lblStatus) == "BOT READY"; }, std::chrono::seconds(30)));
    EXPECT_EQ(countProcesses(L"bot.exe"), 1);

    // A message sent through the bot shows in the counter at its next refresh (tick 10 or 30).
    const SimAnswer sent = simRequest(folder.port(), "POST", "/send-text", R"({"phone":"911","text":"hi"})", "qvx");
    ASSERT_EQ(sent.status, 200) << sent.body;
    EXPECT_TRUE(waitFor([&] { return panel.text(Control::LbNoMass) == "No of Massage : 1"; }, std::chrono::seconds(40)))
        << panel.text(Control::LbNoMass);
}

TEST_F(Monitoring, ABotThatStopsAnsweringWhileReadyShowsTheFailure) {
    ProgramFolder folder("silent-bot");
    Panel panel(folder);
    ASSERT_TRUE(panel.startLinked());
    // The bot stays ready but no longer answers where the panel asks. (A bot that died is noticed as such and
    // stops the panel instead.)
    ASSERT_TRUE(nothingListensOn(1)) << "this test needs nothing listening on port 1 of this machine";
    panel.typeText(Control::txtPort, "1");
    const MessageBoxSeen box = panel.answerMessageBox(std::chrono::seconds(30));
    ASSERT_TRUE(box.found);
    EXPECT_EQ(box.text.rfind("-2147012867\r\n", 0), 0u) << box.text;
    EXPECT_FALSE(box.hasErrorIcon);
    // The user stops the panel at the next box.
    panel.answerMessageBox(std::chrono::seconds(5));
    panel.click(Control::Command1);
    EXPECT_TRUE(waitFor([&] {
        panel.answerMessageBox(std::chrono::milliseconds(100));
        return panel.enabled(Control::cmdStart) && !panel.messageBoxOpen();
    }));
}

}  // namespace
}  // namespace e2e
