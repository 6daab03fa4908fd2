#include <gtest/gtest.h>

#include <stdexcept>

#include "fakes.h"
#include "tray/sys_tray.h"

namespace tavrio {
namespace {

using testing::FakePlatform;
using testing::read32;
using testing::readField;

struct RecordingEvents : TrayEvents {
    std::vector<std::string> raised;
    void LeftClick() override { raised.push_back("LeftClick"); }
    void RightClick() override { raised.push_back("RightClick"); }
    void DoubleClick() override { raised.push_back("DoubleClick"); }
    void BalloonHide() override { raised.push_back("BalloonHide"); }
    void BalloonTimeOut() override { raised.push_back("BalloonTimeOut"); }
    void BalloonClicked() override { raised.push_back("BalloonClicked"); }
};

class Tray : public ::testing::Test {
protected:
    FakePlatform platform;
    RecordingEvents events;
    std::unique_ptr<clsSysTray> tray = std::make_unique<clsSysTray>(platform, platform, platform, events);
    const TrayRecordBytes& last() const { return platform.trayCalls.back().second; }
};

TEST_F(Tray, InitAddsWithCallbackThenSetsPictureThenTip) {
    tray->Init(platform, "Tavrio Massage System");
    ASSERT_EQ(platform.trayCalls.size(), 3u);
    const auto& [addMsg, add] = platform.trayCalls[0];
    EXPECT_EQ(addMsg, TrayMessage::Add);
    EXPECT_EQ(read32(add, 0), 488u);
    EXPECT_EQ(read32(add, 4), 0x10A2u);
    EXPECT_EQ(read32(add, 8), 1u);
    EXPECT_EQ(read32(add, 12), nif::Message);
    EXPECT_EQ(read32(add, 16), 0x200u);
    EXPECT_EQ(read32(add, 20), 0u);  // no picture yet
    EXPECT_EQ(add[24], 0);           // nor tip

    EXPECT_EQ(platform.trayCalls[1].first, TrayMessage::Modify);
    EXPECT_EQ(read32(platform.trayCalls[1].second, 12), nif::Icon);
    EXPECT_EQ(read32(platform.trayCalls[1].second, 20), testing::pictureHandle(0));

    EXPECT_EQ(platform.trayCalls[2].first, TrayMessage::Modify);
    EXPECT_EQ(read32(last(), 12), nif::Tip);
    EXPECT_EQ(readField(last(), 24, 22), std::string("Tavrio Massage System\0", 22));
    EXPECT_EQ(tray->TooltipText(), "Tavrio Massage System");
}

TEST_F(Tray, RecordBytesOutsideTheFieldsAreZeroAndTextsAreSpacePadded) {
    tray->Init(platform, "ab");
    const TrayRecordBytes& r = last();
    EXPECT_EQ(readField(r, 24, 128), std::string("ab\0", 3) + std::string(125, ' '));
    for (std::size_t offset = 152; offset < 160; ++offset) EXPECT_EQ(r[offset], 0) << offset;  // dwState, mask
    // Unused balloon texts are the NUL and spaces, never garbage.
    EXPECT_EQ(readField(r, 160, 256), std::string("\0", 1) + std::string(255, ' '));
    EXPECT_EQ(readField(r, 420, 64), std::string("\0", 1) + std::string(63, ' '));
    EXPECT_EQ(read32(r, 416), 0u);
    EXPECT_EQ(read32(r, 484), 0u);
}

TEST_F(Tray, TooltipIsCutBeforeItsNulButReadsBackWhole) {
    tray->Init(platform, "x");
    const std::string fits(127, 'a'), tooLong(200, 'b');
    tray->TooltipText(fits);
    EXPECT_EQ(readField(last(), 24, 128), fits + std::string("\0", 1));
    tray->TooltipText(tooLong);
    EXPECT_EQ(readField(last(), 24, 128), std::string(127, 'b') + std::string("\0", 1));
    EXPECT_EQ(last()[152], 0);  // nothing spills over into dwState
    EXPECT_EQ(tray->TooltipText(), tooLong);
    tray->TooltipText("");
    EXPECT_EQ(last()[24], 0);
}

TEST_F(Tray, TextsGoThroughTheAnsiCodePageCharacterByCharacter) {
    tray->Init(platform, "x");
    tray->TooltipText("Caf\xC3\xA9!");  // "Café!": é is not in the fake's code page
    EXPECT_EQ(readField(last(), 24, 7), std::string("Caf?!\0 ", 7));
}

TEST_F(Tray, BalloonWithOnlyAMessageHasNoIconNoTitleAndThirtySeconds) {
    tray->Init(platform, "tip");
    tray->ShowBalloonTip("hello");
    const TrayRecordBytes& r = last();
    EXPECT_EQ(read32(r, 12), nif::Info);
    EXPECT_EQ(readField(r, 160, 6), std::string("hello\0", 6));
    EXPECT_EQ(read32(r, 416), 30000u);
    EXPECT_EQ(r[420], 0);
    EXPECT_EQ(read32(r, 484), 0u);
    // Picture and tip are carried unchanged.
    EXPECT_EQ(read32(r, 20), testing::pictureHandle(0));
    EXPECT_EQ(readField(r, 24, 4), std::string("tip\0", 4));
}

TEST_F(Tray, SetIconSendsThePictureEveryTimeAndRefusesAMissingOne) {
    tray->Init(platform, "x");
    tray->SetIcon(platform, 1);
    tray->SetIcon(platform, 1);
    EXPECT_EQ(read32(platform.trayCalls[3].second, 20), testing::pictureHandle(1));
    EXPECT_EQ(read32(platform.trayCalls[4].second, 20), testing::pictureHandle(1));
    const std::size_t calls = platform.trayCalls.size();
    EXPECT_THROW(tray->SetIcon(platform, 3), std::out_of_range);
    EXPECT_EQ(platform.trayCalls.size(), calls);
    EXPECT_EQ(tray->record().hIcon, testing::pictureHandle(1));
}

TEST_F(Tray, MouseMoveRaisesOnlyTheMatchingRow) {
    tray->Init(platform, "x");
    // At 15 twips per pixel: move 0x200, left down/up 0x201/0x202, double 0x203, right down/up 0x204/0x205.
    for (int code : {0x200, 0x201, 0x202, 0x203, 0x205, 0x206}) tray->MouseMove(0, code * 15, platform);
    EXPECT_TRUE(events.raised.empty());
    tray->MouseMove(kRightButton, 516 * 15, platform);
    EXPECT_EQ(events.raised, std::vector<std::string>{"RightClick"});
    // At 12 or 20 twips per pixel the right press does not match.
    events.raised.clear();
    for (int twipsPerPixel : {12, 20}) tray->MouseMove(0, 516 * twipsPerPixel, platform);
    EXPECT_TRUE(events.raised.empty());
    // Bare codes, as a caller in pixels would pass them.
    for (int code : {514, 515, 1027, 1028, 1029}) tray->MouseMove(0, code, platform);
    EXPECT_EQ(events.raised, (std::vector<std::string>{"LeftClick", "DoubleClick", "BalloonHide", "BalloonTimeOut",
                                                       "BalloonClicked"}));
}

struct FakePicture : PictureBox {
    std::uint32_t bitmap = 0x99;
    std::uint32_t persistDrawingAsBitmap() override { return bitmap; }
};

TEST_F(Tray, DrawIconSendsTheBuiltIconThenFreesIt) {
    tray->Init(platform, "x");
    FakePicture picture;
    platform.clearLog();
    tray->DrawIcon(picture);
    tray->DrawIcon(picture, 0x00FF00FF);
    EXPECT_EQ(platform.log, (std::vector<std::string>{"icon-from-bitmap 153", "destroy-icon 20480",
                                                      "transparent-icon 153 16711935", "destroy-icon 20480"}));
    EXPECT_EQ(read32(last(), 20), platform.builtIcon);
    EXPECT_EQ(read32(last(), 12), nif::Icon);

    // Nothing built: nothing sent, nothing freed.
    const std::size_t calls = platform.trayCalls.size();
    picture.bitmap = 0;
    platform.clearLog();
    tray->DrawIcon(picture);
    EXPECT_EQ(platform.trayCalls.size(), calls);
    EXPECT_EQ(platform.logMatching("destroy-icon").size(), 0u);
}

TEST_F(Tray, DestructionDeletesTheIconAndReaddRestoresPictureAndTip) {
    tray->Init(platform, "x");
    tray->SetIcon(platform, 1);
    tray->TooltipText("Bot Ready online");
    platform.trayCalls.clear();
    tray->Readd();
    ASSERT_EQ(platform.trayCalls.size(), 3u);
    EXPECT_EQ(platform.trayCalls[0].first, TrayMessage::Add);
    EXPECT_EQ(read32(platform.trayCalls[0].second, 12), nif::Message);
    EXPECT_EQ(read32(platform.trayCalls[1].second, 20), testing::pictureHandle(1));
    EXPECT_EQ(readField(platform.trayCalls[2].second, 24, 17), std::string("Bot Ready online\0", 17));

    tray.reset();
    ASSERT_EQ(platform.trayCalls.back().first, TrayMessage::Delete);
    EXPECT_EQ(read32(platform.trayCalls.back().second, 12), nif::Tip);  // the flag set last
    EXPECT_EQ(read32(platform.trayCalls.back().second, 8), 1u);
}

}  // namespace
}  // namespace tavrio
