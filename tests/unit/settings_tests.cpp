#include <gtest/gtest.h>

#include "app/file_text.h"
#include "fakes.h"
#include "settings/env_file.h"
#include "settings/ini_value.h"
#include "text/utf8.h"

namespace tavrio {
namespace {

EnvSettings parse(const std::string& text, EnvSettings start = {}) {
    testing::FakePlatform codec;
    applyEnvText(text, start, codec);
    return start;
}

TEST(EnvFile, ReadsTheThreeKeysFromLfOrCrLfLines) {
    for (const std::string end : {"\n", "\r\n"}) {
        const EnvSettings s = parse("PORT=3033" + end + "TAVRIO_API_KEY=qvx" + end + "COMPNEYNAME=demo shop" + end);
        EXPECT_EQ(s.serverPort, "3033");
        EXPECT_EQ(s.apiKey, "qvx");
        EXPECT_EQ(s.companyName, "DEMO SHOP");
    }
}

TEST(EnvFile, BlanksAroundTheEqualsSignStopTheRemoval) {
    EXPECT_EQ(parse("PORT = 3033\n").serverPort, "PORT = 3033");
    EXPECT_EQ(parse("   PORT=3033   \n").serverPort, "3033");
}

TEST(EnvFile, AnyLineHoldingPortSetsThePortAndTheLastOneWins) {
    EXPECT_EQ(parse("COMPNEYNAME=AIRPORT TAXI\n").serverPort, "COMPNEYNAME=AIRPORT TAXI");
    EXPECT_EQ(parse("COMPNEYNAME=AIRPORT TAXI\nPORT=4000\n").serverPort, "4000");
    // Every occurrence of the key text goes, also inside the value.
    EXPECT_EQ(parse("TAVRIO_API_KEY=aTAVRIO_API_KEY=b\n").apiKey, "ab");
}

TEST(EnvFile, CapitalsFollowTheLineRules) {
    // Line 2 reads the port in capitals; lines 3 and 4 read the key in capitals.
    EXPECT_EQ(parse("x\nPORT=ab\n").serverPort, "AB");
    EXPECT_EQ(parse("PORT=ab\n").serverPort, "ab");
    EXPECT_EQ(parse("TAVRIO_API_KEY=qvx\n").apiKey, "qvx");
    EXPECT_EQ(parse("x\nTAVRIO_API_KEY=qvx\n").apiKey, "qvx");
    EXPECT_EQ(parse("x\ny\nTAVRIO_API_KEY=qvx\n").apiKey, "QVX");
    EXPECT_EQ(parse("x\ny\nz\nTAVRIO_API_KEY=qvx\n").apiKey, "QVX");
}

TEST(EnvFile, LowerCaseCompanyKeyCountsOnlyOnLineFour) {
    EXPECT_EQ(parse("a\nb\nc\ncompneyname=shop\n").companyName, "SHOP");
    EXPECT_EQ(parse("compneyname=shop\n").companyName, "");
    EXPECT_EQ(parse("a\nb\ncompneyname=shop\n").companyName, "");
}

TEST(EnvFile, OnlyTheFirstFourLinesCount) {
    const EnvSettings s = parse("a\nb\nc\nd\nPORT=1\nTAVRIO_API_KEY=k\n");
    EXPECT_EQ(s.serverPort, "");
    EXPECT_EQ(s.apiKey, "");
}

TEST(EnvFile, ShortEmptyAndOddFilesNeverFail) {
    EXPECT_EQ(parse("PORT=1").serverPort, "1");  // one line, no final LF
    EXPECT_EQ(parse("").serverPort, "");
    EXPECT_EQ(parse("   ", {"keep", "", ""}).serverPort, "keep");
    EXPECT_EQ(parse("", {"keep", "", ""}).serverPort, "keep");
    EXPECT_EQ(parse("PORT=1\rTAVRIO_API_KEY=x\n").apiKey, "");  // the text ends at a lone CR
    EXPECT_EQ(parse(std::string("PORT=\0\xff\x01", 8)).serverPort, std::string("\0\xff\x01", 3));
    EXPECT_EQ(parse(std::string(100000, 'x') + "\nPORT=9").serverPort, "9");
}

TEST(IniValue, AsksForTheValueWithA255CharacterBuffer) {
    testing::FakePlatform platform;
    platform.profile["C:\\panel\\conf.ini|tavriobot|Autostrat"] = std::string(400, '7');
    EXPECT_EQ(ReadIniValue(platform, platform, "C:\\panel\\conf.ini", "tavriobot", "Autostrat", "0").size(), 254u);
    EXPECT_EQ(ReadIniValue(platform, platform, "C:\\panel\\none.ini", "tavriobot", "Autostrat", "0"), "0");
}

// A file with the byte-order mark is read here, by the profile function's rules; any other goes to that function.
TEST(IniValue, AFileWithTheByteOrderMarkIsReadByTheProfileRules) {
    testing::FakePlatform platform;
    const std::string ini = "C:\\panel\\conf.ini";
    const auto read = [&](const std::string& text) {
        platform.files[ini] = "\xEF\xBB\xBF" + text;
        return ReadIniValue(platform, platform, ini, "tavriobot", "Autostrat", "0");
    };
    EXPECT_EQ(read("[tavriobot]\r\nAutostrat=1\r\n"), "1");
    EXPECT_EQ(read("[ TavrioBot ]\n\t autostrat \t=  1 \n"), "1") << "case and blanks as the profile function";
    EXPECT_EQ(read("[tavriobot]\nAutostrat=\"1\"\nAutostrat=2\n"), "1") << "quotes go; the first key wins";
    EXPECT_EQ(read("[tavriobot]\nAutostrat=\n"), "");
    EXPECT_EQ(read("[other]\nAutostrat=1\n[tavriobot]\nx=1\n"), "0") << "only the named section";
    EXPECT_EQ(read("[tavriobot]\nx=1\n[tavriobot]\nAutostrat=1\n"), "0") << "only its first occurrence";
    EXPECT_EQ(read("Autostrat=1\n[tavriobot\nAutostrat=1"), "0");
    EXPECT_EQ(read("[tavriobot]\nAutostrat=" + std::string(300, '\x7F')).size(), 254u);
    EXPECT_EQ(read("[tavriobot]\nAutostrat=" + std::string(100, '\x7F') + "\xD0\x91" + std::string(200, 'x')),
              std::string(100, '\x7F') + "\xD0\x91" + std::string(153, 'x'))
        << "cut at 254 characters, not bytes";
    EXPECT_TRUE(platform.logMatching("profile").empty());

    platform.files[ini] = "[tavriobot]\r\nAutostrat=1\r\n";
    platform.profile[ini + "|tavriobot|Autostrat"] = "from the system";
    EXPECT_EQ(ReadIniValue(platform, platform, ini, "tavriobot", "Autostrat", "0"), "from the system");
}

TEST(IniValue, LeadingNumberReadsLikeTheSettingsAlwaysDid) {
    EXPECT_EQ(leadingNumber("1"), 1);
    EXPECT_EQ(leadingNumber("01"), 1);
    EXPECT_EQ(leadingNumber("1.0"), 1);
    EXPECT_EQ(leadingNumber(" 1 "), 1);
    EXPECT_EQ(leadingNumber("1abc"), 1);
    EXPECT_EQ(leadingNumber("2"), 2);
    EXPECT_EQ(leadingNumber(""), 0);
    EXPECT_EQ(leadingNumber("yes"), 0);
    EXPECT_EQ(leadingNumber("."), 0);
    EXPECT_EQ(leadingNumber("-1"), -1);
    // A switch that is on unless turned off.
    for (const char* off : {" 0 ", "00", "0.0", "+0", "OFF", "No", "false"}) EXPECT_FALSE(switchIsOn(off)) << off;
    for (const char* on : {"", "1", "yes", "x0", "on", "."}) EXPECT_TRUE(switchIsOn(on)) << on;
}

TEST(FileText, TheByteOrderMarkMeansUtf8AndAnythingElseIsAnsi) {
    // A code page in which byte E9 is "é": only a file without the mark goes through it.
    struct Latin1 : testing::FakePlatform {
        std::string ansiToUtf8(const std::string& bytes) override { return bytes == "\xE9" ? "\xC3\xA9" : bytes; }
    } codec;
    EXPECT_EQ(decodeFileText("\xE9", codec), "\xC3\xA9");
    EXPECT_EQ(decodeFileText("\xEF\xBB\xBFPORT=3033", codec), "PORT=3033");
    EXPECT_EQ(decodeFileText("\xEF\xBB\xBF\xC3\xA9", codec), "\xC3\xA9");
    EXPECT_EQ(parse(decodeFileText("\xEF\xBB\xBFPORT=3033\nCOMPNEYNAME=shop\n", codec)).serverPort, "3033");

    // After the mark, whatever is not UTF-8 becomes U+FFFD: a lone, overlong, surrogate or cut sequence.
    const std::string bad = "\xEF\xBF\xBD";
    EXPECT_EQ(validUtf8("a\xC3\xA9\xF0\x9F\x98\x80z"), "a\xC3\xA9\xF0\x9F\x98\x80z");
    EXPECT_EQ(validUtf8("\x80"), bad);
    EXPECT_EQ(validUtf8("\xC0\xAF"), bad + bad);
    EXPECT_EQ(validUtf8("\xED\xA0\x80"), bad + bad + bad);
    EXPECT_EQ(validUtf8("\xE2\x82"), bad);
    EXPECT_EQ(validUtf8("\xF4\x90\x80\x80"), bad + bad + bad + bad);
}

}  // namespace
}  // namespace tavrio
