#include <gtest/gtest.h>

#include "sim_options.h"
#include "temp_folder.h"

using namespace botsim;

TEST(BotSimOptions, EnvTakesCrLfCommentsBlanksAndQuotes) {
    const KeyValues env = parseEnv(
        "\xEF\xBB\xBFPORT=39001\r\n# TAVRIO_API_KEY=no\r\n\r\n  TAVRIO_API_KEY = \"a b\" \r\n"
        "COMPNEYNAME=X=Y\nnot a pair\nport=1");
    EXPECT_EQ(env.at("PORT"), "39001");
    EXPECT_EQ(env.at("TAVRIO_API_KEY"), "a b");
    EXPECT_EQ(env.at("COMPNEYNAME"), "X=Y");
    EXPECT_EQ(env.at("port"), "1");  // keys are case-sensitive, so "port" is another key
    EXPECT_EQ(env.size(), 4u);
}

TEST(BotSimOptions, IniReadsOnlyItsSectionInAnyCase) {
    const KeyValues sim = parseIniSection(
        "phone=1\r\n[other]\r\nphone=2\r\n[ SIM ]\r\nPhone=3\r\n; key=x\r\nkey=k\r\n"
        "[tail]\nname=z\n",
        "sim");
    EXPECT_EQ(sim, (KeyValues{{"phone", "3"}, {"key", "k"}}));
}

TEST(BotSimOptions, IniOverridesEnvAndBadNumbersKeepDefaults) {
    std::vector<std::string> warnings;
    SimOptions o = makeOptions({}, {}, warnings);
    EXPECT_EQ(o.port, 3033);
    EXPECT_EQ(o.key, "qvx");
    EXPECT_EQ(o.linkAfterSeconds, -1);
    EXPECT_EQ(o.qrRefreshSeconds, 20);
    EXPECT_TRUE(warnings.empty());

    o = makeOptions(
        {{"PORT", "39002"}, {"TAVRIO_API_KEY", "env"}},
        {{"key", "ini"}, {"link_after_seconds", "0"}, {"qr_refresh_seconds", "0"}, {"start_delay_ms", "5x"}}, warnings);
    EXPECT_EQ(o.port, 39002);
    EXPECT_EQ(o.key, "ini");
    EXPECT_EQ(o.linkAfterSeconds, 0);
    EXPECT_EQ(o.qrRefreshSeconds, 20);
    EXPECT_EQ(o.startDelayMs, 0);
    EXPECT_EQ(warnings.size(), 2u);

    warnings.clear();
    o = makeOptions({{"PORT", "70000"}}, {}, warnings);
    EXPECT_EQ(o.port, 3033);
    EXPECT_EQ(warnings.size(), 1u);
}

TEST(BotSimOptions, LoadsBothFilesFromTheFolder) {
    TempFolder folder;
    folder.write(".env", "PORT=39003\r\nTAVRIO_API_KEY=abc\r\n");
    folder.write("bot-sim.ini", "[sim]\r\nphone=4912345\r\nname=Shop & Co\r\n");
    std::vector<std::string> warnings;
    const SimOptions o = loadOptions(folder.path, warnings);
    EXPECT_EQ(o.port, 39003);
    EXPECT_EQ(o.key, "abc");
    EXPECT_EQ(o.phone, "4912345");
    EXPECT_EQ(o.name, "Shop & Co");
}
