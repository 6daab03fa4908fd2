#include <gtest/gtest.h>

#include "panel_driver.h"

namespace e2e {
namespace {

TEST(Startup, StartsHiddenInTheTrayAndOpenShowsTheLoadedWindow) {
    ProgramFolder folder("startup");
    Panel panel(folder);
    ASSERT_TRUE(panel.start());
    ASSERT_NE(panel.window(), nullptr);
    EXPECT_FALSE(panel.windowVisible()) << "the program starts in the notification area";
    EXPECT_EQ(countProcesses(L"bot.exe"), 0) << "no auto-start";

    ASSERT_TRUE(panel.openTrayMenu());
    ASSERT_TRUE(panel.chooseTrayMenuItem(Control::mnuOpen));
    ASSERT_TRUE(waitFor([&] { return panel.windowVisible(); }));
    // What only the real program shows: the settings read from the folder's real .env, and the revision from
    // its own version resource.
    EXPECT_EQ(panel.title(), "VANTERO");
    EXPECT_EQ(panel.text(Control::txtPort), std::to_string(folder.port()));
    EXPECT_EQ(panel.text(Control::LBCOMP), "DEMO SHOP");
    EXPECT_EQ(panel.text(Control::lbkey), "qvx");
    EXPECT_TRUE(panel.text(Control::Label6).rfind("Version : ", 0) == 0);
    EXPECT_NE(panel.text(Control::Label6), "Version : ");

    // The user's close hides; the program carries on; Open shows it again.
    panel.close();
    ASSERT_TRUE(waitFor([&] { return !panel.windowVisible(); }));
    EXPECT_TRUE(panel.running());
    ASSERT_TRUE(panel.openTrayMenu());
    ASSERT_TRUE(panel.chooseTrayMenuItem(Control::mnuOpen));
    ASSERT_TRUE(waitFor([&] { return panel.windowVisible(); }));
    EXPECT_EQ(panel.text(Control::LBCOMP), "DEMO SHOP");

    ASSERT_TRUE(panel.openTrayMenu());
    ASSERT_TRUE(panel.chooseTrayMenuItem(Control::exitapp));
    EXPECT_TRUE(panel.waitForExit());
}

TEST(Startup, SecondCopyEndsAtOnce) {
    ProgramFolder folder("second-copy");
    Panel first(folder);
    ASSERT_TRUE(first.start());
    ASSERT_NE(first.window(), nullptr);
    Panel second(folder);
    ASSERT_TRUE(second.start());
    EXPECT_TRUE(second.waitForExit(std::chrono::seconds(10)));
    EXPECT_TRUE(first.running());
    EXPECT_EQ(countProcesses(L"TavrioPanel.exe"), 1);
}

TEST(Startup, KeyInCapitalsOrOnLineThreeGivesTheDotTitle) {
    for (const std::string env : {"x\ny\nTAVRIO_API_KEY=qvx\n", "TAVRIO_API_KEY=QVX\n"}) {
        ProgramFolder folder("title");
        folder.writeEnv(env);
        Panel panel(folder);
        ASSERT_TRUE(panel.start());
        ASSERT_NE(panel.window(), nullptr);
        EXPECT_EQ(panel.title(), ".") << env;
    }
}

TEST(Startup, MissingEnvShowsOneErrorNamingThePath) {
    ProgramFolder folder("no-env");
    folder.remove(".env");
    Panel panel(folder);
    ASSERT_TRUE(panel.start());
    const MessageBoxSeen box = panel.answerMessageBox();
    ASSERT_TRUE(box.found);
    EXPECT_EQ(box.text, "File not found: " + folder.at(".env"));
    EXPECT_TRUE(box.hasErrorIcon);
    ASSERT_NE(panel.window(), nullptr);
    EXPECT_EQ(panel.text(Control::txtPort), "");
    EXPECT_EQ(panel.title(), ".");
    EXPECT_FALSE(panel.messageBoxOpen());
}

TEST(Startup, BrokenSettingsFilesStillLoad) {
    ProgramFolder folder("bad-settings");
    std::string binary(3 << 20, '\0');
    for (std::size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>(i * 131);
    folder.writeEnv(binary);
    folder.write("conf.ini", binary);
    Panel panel(folder);
    ASSERT_TRUE(panel.start());
    ASSERT_NE(panel.window(), nullptr);
    EXPECT_FALSE(panel.messageBoxOpen());
    EXPECT_TRUE(panel.running());
}

}  // namespace
}  // namespace e2e
