// Every version and level read back by an independent decoder, and the mask choice compared with an
// independent encoder.

#include <gtest/gtest.h>

#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>

#include <string>
#include <tuple>
#include <utility>

#include "qr/qr_encoder.h"
#include "qr_test_support.h"

namespace tavrio::qr {
namespace {

using test::decodeWithZxing;
using test::kLevels;
using test::levelName;

class ZxingRoundTrip : public ::testing::TestWithParam<std::tuple<int, Ecc>> {};

// The fullest text the version holds at the level, so the smallest version that fits is exactly this one.
TEST_P(ZxingRoundTrip, FullSymbolDecodesToTheSameBytes) {
    const auto [version, ecc] = GetParam();
    const std::string text = test::sampleBytes(static_cast<size_t>(byteCapacity(version, ecc)), version * 7u + 1);

    const auto code = encode(text, ecc, /*boostEcc=*/false);
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(code->version, version);
    EXPECT_EQ(code->ecc, ecc);
    EXPECT_EQ(code->size, 17 + 4 * version);

    const auto decoded = decodeWithZxing(*code);
    ASSERT_TRUE(decoded.has_value()) << "not readable, mask " << code->mask;
    EXPECT_EQ(decoded->bytes, text);
    EXPECT_EQ(decoded->ecLevel, std::string(1, levelName(ecc)));
}

INSTANTIATE_TEST_SUITE_P(AllVersionsAndLevels, ZxingRoundTrip,
                         ::testing::Combine(::testing::Range(kMinVersion, kMaxVersion + 1),
                                            ::testing::ValuesIn(kLevels)),
                         [](const auto& info) {
                             return "V" + std::to_string(std::get<0>(info.param)) + "_" +
                                    levelName(std::get<1>(info.param));
                         });

// Each forced mask must still read; the automatic tests only ever see the masks the penalty picks.
TEST(ZxingRoundTripMasks, EveryMaskReads) {
    const std::string text = "mask check, lower case so that no other mode would be tempting";
    for (int version : {6, 7, 23}) {
        for (int mask = 0; mask < 8; ++mask) {
            const auto code = encode(text, Ecc::Q, false, version, mask);
            ASSERT_TRUE(code.has_value());
            EXPECT_EQ(code->mask, mask);
            const auto decoded = decodeWithZxing(*code);
            ASSERT_TRUE(decoded.has_value()) << "version " << version << " mask " << mask;
            EXPECT_EQ(decoded->bytes, text);
        }
    }
}

TEST(ZxingRoundTripText, Utf8WithTrailingLineBreakIsKeptExactly) {
    const std::string text = "pair:\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82,\xE2\x9C\x93\r\n";
    const auto code = encode(text);
    ASSERT_TRUE(code.has_value());
    const auto decoded = decodeWithZxing(*code);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->bytes, text);
}

// ZXing's writer follows the same penalty rules (outside light, a finder-like run counted once when
// either side is light), so on byte-mode text the whole symbol, version and mask included, must come out
// the same.
// Lower-case text with punctuation keeps its writer in byte mode without an ECI header.
TEST(ZxingWriter, SameSymbolWithTheAutomaticMask) {
    // Its 0..8 scale: 0-2 is L, 3-4 M, 5-6 Q, 7-8 H.
    const std::pair<int, Ecc> levels[] = {{1, Ecc::L}, {4, Ecc::M}, {6, Ecc::Q}, {8, Ecc::H}};
    for (const auto& [zxingLevel, ecc] : levels) {
        for (size_t length : {1, 17, 60, 240, 700, 1024, 1800}) {
            std::string text;
            for (size_t i = 0; i < length; ++i) text += "abcdefghijklmnopqrstuvwxyz,.;/!"[(i * 7 + length) % 31];
            if (static_cast<int>(length) > byteCapacity(kMaxVersion, ecc)) continue;
            const ZXing::BitMatrix theirs = ZXing::MultiFormatWriter(ZXing::BarcodeFormat::QRCode)
                                                .setMargin(0)
                                                .setEccLevel(zxingLevel)
                                                .encode(text, 0, 0);
            const auto mine = encode(text, ecc, false);
            ASSERT_TRUE(mine.has_value()) << "length " << length << " level " << levelName(ecc);
            ASSERT_EQ(mine->size, theirs.width());
            int differences = 0;
            for (int y = 0; y < mine->size; ++y) {
                for (int x = 0; x < mine->size; ++x) differences += mine->dark(x, y) != theirs.get(x, y);
            }
            EXPECT_EQ(differences, 0) << "length " << length << " level " << levelName(ecc) << " our mask "
                                      << mine->mask;
        }
    }
}

}  // namespace
}  // namespace tavrio::qr
