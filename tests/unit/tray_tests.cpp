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
    std::unique_ptr<clsSysTray> tray = std::make_unique<clsSysTray>(platform, platform, events);
    const TrayRecordBytes& last() const { return platform.trayCalls.back().second; }
};

TEST_F(Tray, InitAddsWithCallbackThenSetsPictureThenTip) {
    tray->Init(platform, "Tavrio Massage System");
    ASSERT_EQ(platform.trayCalls.size(), 3u);
    const auto& [addMsg, add] = platform.trayCalls[0];
    EXPECT_EQ(addMsg, TrayMessage::Add);
    EXPECT_EQ(read32(add, tray_field::cbSize), 488u);
    EXPECT_EQ(read32(add, tray_field::hWnd), 0x10A2u);
    EXPECT_EQ(read32(add, tray_field::uID), 1u);
    EXPECT_EQ(read32(add, tray_field::uFlags), nif::Message);
    EXPECT_EQ(read32(add, tray_field::uCallbackMessage), 0x200u);
    EXPECT_EQ(read32(add, tray_field::hIcon), 0u);  // no picture yet
    EXPECT_EQ(add[tray_field::szTip], 0);           // nor tip

    EXPECT_EQ(platform.trayCalls[1].first, TrayMessage::Modify);
    EXPECT_EQ(read32(platform.trayCalls[1].second, tray_field::uFlags), nif::Icon);
    EXPECT_EQ(read32(platform.trayCalls[1].second, tray_field::hIcon), testing::pictureHandle(0));

    EXPECT_EQ(platform.trayCalls[2].first, TrayMessage::Modify);
    EXPECT_EQ(read32(last(), tray_field::uFlags), nif::Tip);
    EXPECT_EQ(readField(last(), tray_field::szTip, 22), std::string("Tavrio Massage System\0", 22));
    EXPECT_EQ(tray->TooltipText(), "Tavrio Massage System");
}

TEST_F(Tray, RecordBytesOutsideTheFieldsAreZeroAndTextsAreSpacePadded) {
    tray->Init(platform, "ab");
    const TrayRecordBytes& r = last();
    EXPECT_EQ(readField(r, tray_field::szTip, 128), std::string("ab\0", 3) + std::string(125, ' '));
    for (std::size_t offset = tray_field::dwState; offset < tray_field::szInfo; ++offset)
        EXPECT_EQ(r[offset], 0) << offset;  // dwState, mask
    // Unused balloon texts are the NUL and spaces, never garbage.
    EXPECT_EQ(readField(r, tray_field::szInfo, 256), std::string("\0", 1) + std::string(255, ' '));
    EXPECT_EQ(readField(r, tray_field::szInfoTitle, 64), std::string("\0", 1) + std::string(63, ' '));
    EXPECT_EQ(read32(r, tray_field::uTimeout), 0u);
    EXPECT_EQ(read32(r, tray_field::dwInfoFlags), 0u);
}

TEST_F(Tray, TooltipIsCutBeforeItsNulButReadsBackWhole) {
    tray->Init(platform, "x");
    const std::string fits(127, 'a'), tooLong(200, 'b');
    tray->TooltipText(fits);
    EXPECT_EQ(readField(last(), tray_field::szTip, 128), fits + std::string("\0", 1));
    tray->TooltipText(tooLong);
    EXPECT_EQ(readField(last(), tray_field::szTip, 128), std::string(127, 'b') + std::string("\0", 1));
    EXPECT_EQ(last()[tray_field::dwState], 0);  // nothing spills over into dwState
    EXPECT_EQ(tray->TooltipText(), tooLong);
    tray->TooltipText("");
    EXPECT_EQ(last()[tray_field::szTip], 0);
}

TEST_F(Tray, TextsGoThroughTheAnsiCodePageCharacterByCharacter) {
    tray->Init(platform, "x");
    tray->TooltipText("Caf\xC3\xA9!");  // "Café!": é is not in the fake's code page
    EXPECT_EQ(readField(last(), tray_field::szTip, 7), std::string("Caf?!\0 ", 7));
}

TEST_F(Tray, BalloonWithOnlyAMessageHasNoIconNoTitleAndThirtySeconds) {
    tray->Init(platform, "tip");
    tray->ShowBalloonTip("hello");
    const TrayRecordBytes& r = last();
    EXPECT_EQ(read32(r, tray_field::uFlags), nif::Info);
    EXPECT_EQ(readField(r, tray_field::szInfo, 6), std::string("hello\0", 6));
    EXPECT_EQ(read32(r, tray_field::uTimeout), 30000u);
    EXPECT_EQ(r[tray_field::szInfoTitle], 0);
    EXPECT_EQ(read32(r, tray_field::dwInfoFlags), 0u);
    // Picture and tip are carried unchanged.
    EXPECT_EQ(read32(r, tray_field::hIcon), testing::pictureHandle(0));
    EXPECT_EQ(readField(r, tray_field::szTip, 4), std::string("tip\0", 4));
}

TEST_F(Tray, SetIconSendsThePictureEveryTimeAndRefusesAMissingOne) {
    tray->Init(platform, "x");
    tray->SetIcon(platform, 1);
    tray->SetIcon(platform, 1);
    EXPECT_EQ(read32(platform.trayCalls[3].second, tray_field::hIcon), testing::pictureHandle(1));
    EXPECT_EQ(read32(platform.trayCalls[4].second, tray_field::hIcon), testing::pictureHandle(1));
    const std::size_t calls = platform.trayCalls.size();
    EXPECT_FALSE(tray->SetIcon(platform, 3));
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

TEST_F(Tray, DestructionDeletesTheIconAndReaddRestoresPictureAndTip) {
    tray->Init(platform, "x");
    tray->SetIcon(platform, 1);
    tray->TooltipText("Bot Ready online");
    platform.trayCalls.clear();
    platform.iconShown = false;  // the shell was re-created
    EXPECT_TRUE(tray->Readd());
    ASSERT_EQ(platform.trayCalls.size(), 3u);
    EXPECT_EQ(platform.trayCalls[0].first, TrayMessage::Add);
    EXPECT_EQ(read32(platform.trayCalls[0].second, tray_field::uFlags), nif::Message);
    EXPECT_EQ(read32(platform.trayCalls[1].second, tray_field::hIcon), testing::pictureHandle(1));
    EXPECT_EQ(readField(platform.trayCalls[2].second, tray_field::szTip, 17), std::string("Bot Ready online\0", 17));

    // An add the shell took too late to say so: the icon is there, and a modify finds it.
    platform.trayCalls.clear();
    EXPECT_TRUE(tray->Readd());
    EXPECT_EQ(platform.trayCalls.size(), 4u);
    EXPECT_EQ(platform.trayCalls[1].first, TrayMessage::Modify);
    EXPECT_EQ(read32(platform.trayCalls[1].second, tray_field::uFlags), nif::Message);
    // A shell that still refuses: nothing more is sent.
    platform.iconShown = false;
    platform.refusedAdds = 1;
    platform.trayCalls.clear();
    EXPECT_FALSE(tray->Readd());
    EXPECT_EQ(platform.trayCalls.size(), 2u);

    tray.reset();
    ASSERT_EQ(platform.trayCalls.back().first, TrayMessage::Delete);
    EXPECT_EQ(read32(platform.trayCalls.back().second, tray_field::uFlags), nif::Message);  // the refused add's
    EXPECT_EQ(read32(platform.trayCalls.back().second, tray_field::uID), 1u);
}

}  // namespace
}  // namespace tavrio
