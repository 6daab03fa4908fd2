#include "app/bot_http.h"
#include "form_fixture.h"

namespace tavrio {
namespace {

using testing::FakePlatform;
using testing::FormTest;

TEST(SendTextBody, IsJsonWithEveryCharacterKept) {
    EXPECT_EQ(sendTextBody("12345", "Hello"), R"({"phone":"12345","text":"Hello"})");
    EXPECT_EQ(sendTextBody("1", "it's"), R"({"phone":"1","text":"it's"})");
    EXPECT_EQ(sendTextBody("1", R"(say "hi" \o/)"), R"({"phone":"1","text":"say \"hi\" \\o/"})");
    EXPECT_EQ(sendTextBody("1", "a\r\nb\tc\x01"), R"({"phone":"1","text":"a\r\nb\tc\u0001"})");
    EXPECT_EQ(sendTextBody("", ""), R"({"phone":"","text":""})");
    EXPECT_EQ(sendTextBody("1", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD1\x96\xD1\x82 \xF0\x9F\x91\x8B"),
              "{\"phone\":\"1\",\"text\":\"\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD1\x96\xD1\x82 \xF0\x9F\x91\x8B\"}");
    // A crafted text cannot add members.
    EXPECT_EQ(sendTextBody("1", R"(x","phone":"666)"), R"({"phone":"1","text":"x\",\"phone\":\"666"})");
}

class Sender : public FormTest {};

TEST_F(Sender, PostsTheBoxesToTheBotAndShowsItsAnswer) {
    load();
    form->textEdited(ControlId::txtPort, "  3033 ");
    form->textEdited(ControlId::txtMessage, "Hello");
    platform.defaultAnswer = FakePlatform::answer("Message sent.");
    form->click(ControlId::Command2);
    ASSERT_EQ(platform.requests.size(), 1u);
    const HttpRequest& r = platform.requests[0];
    EXPECT_EQ(r.method, "POST");
    EXPECT_EQ(r.url, "http://localhost:3033/send-text");
    EXPECT_EQ(r.headers, (std::vector<std::pair<std::string, std::string>>{{"Content-Type", "application/json"},
                                                                           {"Authorization", "qvx"}}));
    EXPECT_EQ(r.body, R"({"phone":"91","text":"Hello"})") << "the start-up phone text goes as it is";
    EXPECT_EQ(r.timeouts.receiveMs, 0) << "the client sets WinHTTP's own defaults";
    ASSERT_EQ(platform.shown.size(), 1u);
    EXPECT_EQ(platform.shown[0], std::make_pair(std::string("Message sent."), MessageIcon::None));
}

TEST_F(Sender, ErrorAnswersAndEmptyAnswersAreShownAsTheyAre) {
    load();
    platform.answers = {FakePlatform::answer("Invalid key.", 401), FakePlatform::answer("", 500)};
    form->click(ControlId::Command2);
    form->click(ControlId::Command2);
    ASSERT_EQ(platform.shown.size(), 2u);
    EXPECT_EQ(platform.shown[0].first, "Invalid key.");
    EXPECT_EQ(platform.shown[1].first, "");
}

TEST_F(Sender, FailureIsReportedAndTheWindowStaysAsItWas) {
    load();
    form->textEdited(ControlId::txtMessage, "keep me");
    platform.defaultAnswer = FakePlatform::refused();
    form->click(ControlId::Command2);
    ASSERT_EQ(platform.shown.size(), 1u);
    EXPECT_EQ(platform.shown[0].first, "-2147012867\r\nA connection with the server could not be established");
    EXPECT_EQ(text(ControlId::txtMessage), "keep me");

    // A time-out says that the message may still go out.
    platform.answers = {{false, 0, "", static_cast<std::int32_t>(0x80072EE2), "The operation timed out"}};
    form->click(ControlId::Command2);
    EXPECT_EQ(
        platform.shown.back().first.rfind("-2147012894\r\nThe operation timed out\r\n\r\nThe bot did not answer in "
                                          "time, but it may still send the message.",
                                          0),
        0u);

    platform.shown.clear();
    platform.requests.clear();
    form->textEdited(ControlId::txtPort, "80@example.com");
    form->click(ControlId::Command2);
    EXPECT_TRUE(platform.requests.empty()) << "nothing leaves the machine";
    ASSERT_EQ(platform.shown.size(), 1u);
    EXPECT_EQ(platform.shown[0].first, "-2147012891\r\nThe URL is invalid");
}

}  // namespace
}  // namespace tavrio
