#include <gtest/gtest.h>

#include <regex>

#include "panel_driver.h"

namespace e2e {
namespace {

// Run with the unpacked release zip as the artifacts (tests/e2e/CMakeLists.txt): its panel and its simulator,
// whose example settings lie beside them.
TEST(ReleaseZip, UnpackedBesideABotItRunsWithTheExampleSettings) {
    const std::string unpacked = artifacts().panelExe.substr(0, artifacts().panelExe.find_last_of('\\'));
    if (GetFileAttributesA((unpacked + "\\.env.example").c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "not run on an unpacked release zip";

    // The zip's files beside a bot (the simulator, as a user would try it), with the examples as the settings.
    ProgramFolder folder("release-zip");
    ASSERT_TRUE(CopyFileA((unpacked + "\\.env.example").c_str(), folder.at(".env").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA((unpacked + "\\conf.ini.example").c_str(), folder.at("conf.ini").c_str(), FALSE));
    const std::string env = folder.read(".env");
    folder.writeEnv(std::regex_replace(env, std::regex("PORT=[0-9]+"), "PORT=" + std::to_string(folder.port())));
    folder.write("session.db", "linked");

    Panel panel(folder);
    ASSERT_TRUE(panel.start());
    ASSERT_NE(panel.window(), nullptr);
    // The example turns auto-start on: the bot starts with the panel and, linked, becomes ready.
    EXPECT_TRUE(waitFor([&] { return panel.text(Control::lblStatus) == "BOT READY"; }, std::chrono::seconds(30)));
    EXPECT_EQ(panel.text(Control::LBCOMP), "YOUR COMPANY");
    EXPECT_EQ(panel.text(Control::Label6), "Version : " TAVRIO_EXPECTED_REVISION);
    ASSERT_TRUE(panel.openTrayMenu());
    ASSERT_TRUE(panel.chooseTrayMenuItem(Control::exitapp));
    EXPECT_TRUE(panel.waitForExit());
}

}  // namespace
}  // namespace e2e
