// The support log through the fake file system and clock.
#include <gtest/gtest.h>

#include "fakes.h"
#include "log/support_log.h"

namespace tavrio {
namespace {

using testing::FakePlatform;

// Every line of an event "e" at the fake clock's first moment.
const std::string kLine = "1970-01-01 00:00:00.000 +00:00 e\r\n";

class SupportLogTest : public ::testing::Test {
protected:
    FakePlatform platform;
    SupportLog log{platform, platform, FakePlatform::kFolder};
    const std::string oldPath = FakePlatform::at("\\TavrioPanel.log.1");
    std::string& file() { return platform.files[log.path()]; }
};

TEST_F(SupportLogTest, EachEventIsOneLineAfterItsLocalTimeAndOffset) {
    EXPECT_EQ(log.path(), "C:\\panel\\TavrioPanel.log");
    platform.localNow = {2026, 12, 9, 18, 4, 5, 123, 60};
    log.write("START\tby the button\r\nthen\x01\x7F\xC2\x85 bad \xFF ok \xD0\xBF");
    platform.localNow = {2027, 1, 2, 3, 4, 5, 6, -210};
    log.write("");
    platform.localNow.utcOffsetMinutes = 0;
    log.write(std::string(5000, 'x'));
    EXPECT_EQ(file(),
              "2026-12-09 18:04:05.123 +01:00 START by the button  then    bad \xEF\xBF\xBD ok \xD0\xBF\r\n"
              "2027-01-02 03:04:05.006 -03:30 \r\n"
              "2027-01-02 03:04:05.006 +00:00 " +
                  std::string(SupportLog::kMaxEventBytes - 6, 'x') + " [...]\r\n");
}

TEST_F(SupportLogTest, TheLineThatWouldPassTheSizeStartsANewFileAndTheFullOneReplacesTheOld) {
    const std::string full(SupportLog::kMaxFileBytes - kLine.size(), 'a');
    file() = full;
    platform.files[oldPath] = "older";
    log.write("e");
    EXPECT_EQ(file(), full + kLine);  // exactly at the size
    log.write("e");
    EXPECT_EQ(platform.files[oldPath], full + kLine);
    EXPECT_EQ(file(), kLine);
    log.write("e");
    EXPECT_EQ(platform.sizesAsked, 2);  // once at the start, once more before the rename; the rest is counted

    // When the full file cannot be renamed the line is dropped, so the bound holds; the next line renames it.
    SupportLog another(platform, platform, FakePlatform::kFolder);
    file() = full + kLine;
    platform.unwritable.insert(oldPath);
    another.write("lost");
    EXPECT_EQ(file(), full + kLine);
    platform.unwritable.clear();
    another.write("e");
    EXPECT_EQ(platform.files[oldPath], full + kLine);
    EXPECT_EQ(file(), kLine);
}

TEST_F(SupportLogTest, ALineThatCannotBeWrittenIsDroppedQuietlyAndTheNextOneIsWritten) {
    platform.unwritable.insert(log.path());
    EXPECT_NO_THROW(log.write("lost"));
    EXPECT_EQ(platform.files.count(log.path()), 0u);
    platform.unwritable.clear();
    log.write("e");
    EXPECT_EQ(file(), kLine);
    EXPECT_TRUE(platform.shown.empty());
}

TEST(PhoneForLog, ShowsOnlyTheLastFourDigits) {
    EXPECT_EQ(phoneForLog("380501234567"), "****4567");
    EXPECT_EQ(phoneForLog("+38 (050) 123-45-67@c.us"), "****4567");
    EXPECT_EQ(phoneForLog("1234"), "****");  // the last four would be all of it
    EXPECT_EQ(phoneForLog(""), "****");
}

}  // namespace
}  // namespace tavrio
