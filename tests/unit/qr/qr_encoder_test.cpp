// Version and level choice, refusals, and the mask penalty against a plain per-module reference.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>

#include "qr/qr_encoder.h"
#include "qr/qr_mask.h"
#include "qr_test_support.h"

namespace tavrio::qr {
namespace {

using test::decodeWithZxing;

TEST(QrEncoder, EmptyInputEncodesInTheSmallestSymbol) {
    const auto code = encode("");
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(code->version, 1);
    EXPECT_EQ(code->ecc, Ecc::H);  // raised: nothing to hold
    EXPECT_EQ(code->modules.size(), 21u * 21u);
    const auto decoded = decodeWithZxing(*code);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->bytes, "");
}

TEST(QrEncoder, TooLongInputIsRefusedAtEachLevel) {
    for (Ecc ecc : test::kLevels) {
        const int most = byteCapacity(kMaxVersion, ecc);
        EXPECT_TRUE(encode(std::string(static_cast<size_t>(most), 'a'), ecc).has_value()) << test::levelName(ecc);
        EXPECT_FALSE(encode(std::string(static_cast<size_t>(most) + 1, 'a'), ecc).has_value()) << test::levelName(ecc);
    }
    // The largest symbol at the lowest level is the hard limit.
    EXPECT_EQ(byteCapacity(40, Ecc::L), 2953);
    EXPECT_FALSE(encode(std::string(100000, 'a'), Ecc::L).has_value());
}

TEST(QrEncoder, BoostRaisesTheLevelOnlyWithinTheChosenVersion) {
    const auto tiny = encode("x", Ecc::L, true);
    EXPECT_EQ(tiny->version, 1);
    EXPECT_EQ(tiny->ecc, Ecc::H);
    EXPECT_EQ(encode("x", Ecc::L, false)->ecc, Ecc::L);

    // Full at M: no room for Q, and the version is not enlarged to make room.
    const std::string full(static_cast<size_t>(byteCapacity(10, Ecc::M)), 'x');
    EXPECT_EQ(encode(full, Ecc::M, true)->version, 10);
    EXPECT_EQ(encode(full, Ecc::M, true)->ecc, Ecc::M);

    // Room for Q but not for H in the forced version: stops at Q.
    const std::string partway(static_cast<size_t>(byteCapacity(10, Ecc::Q)), 'x');
    ASSERT_GT(partway.size(), static_cast<size_t>(byteCapacity(10, Ecc::H)));
    const auto raised = encode(partway, Ecc::M, true, 10);
    EXPECT_EQ(raised->ecc, Ecc::Q);
    const auto decoded = decodeWithZxing(*raised);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->ecLevel, "Q");
}

TEST(QrEncoder, ForcedVersionMustHoldTheText) {
    const std::string text(static_cast<size_t>(byteCapacity(5, Ecc::M)) + 1, 'x');
    EXPECT_FALSE(encode(text, Ecc::M, false, 5).has_value());
    const auto bigger = encode(text, Ecc::M, false, 9);
    ASSERT_TRUE(bigger.has_value());
    EXPECT_EQ(bigger->version, 9);
    const auto decoded = decodeWithZxing(*bigger);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->bytes, text);
}

TEST(QrEncoder, OutOfRangeArgumentsAreRefused) {
    EXPECT_FALSE(encode("x", Ecc::M, true, 41).has_value());
    EXPECT_FALSE(encode("x", Ecc::M, true, -1).has_value());
    EXPECT_FALSE(encode("x", Ecc::M, true, 0, 8).has_value());
    EXPECT_FALSE(encode("x", Ecc::M, true, 0, -2).has_value());
    EXPECT_FALSE(encode("x", static_cast<Ecc>(4)).has_value());
    EXPECT_EQ(byteCapacity(0, Ecc::L), 0);
    EXPECT_EQ(byteCapacity(41, Ecc::L), 0);
}

// The penalty rules written out module by module; outside the symbol counts as light.
int referencePenalty(const QrCode& c) {
    const int n = c.size;
    int score = 0;
    for (int pass = 0; pass < 2; ++pass) {
        auto at = [&](int line, int i) { return pass == 0 ? c.dark(i, line) : c.dark(line, i); };
        for (int line = 0; line < n; ++line) {
            int run = 1;
            for (int i = 1; i <= n; ++i) {
                if (i < n && at(line, i) == at(line, i - 1)) {
                    ++run;
                    continue;
                }
                if (run >= 5) score += 3 + (run - 5);
                run = 1;
            }
            for (int i = 0; i + 7 <= n; ++i) {
                const bool core = at(line, i) && !at(line, i + 1) && at(line, i + 2) && at(line, i + 3) &&
                                  at(line, i + 4) && !at(line, i + 5) && at(line, i + 6);
                if (!core) continue;
                bool lightBefore = true;
                bool lightAfter = true;
                for (int k = 1; k <= 4; ++k) {
                    if (i - k >= 0 && at(line, i - k)) lightBefore = false;
                    if (i + 6 + k < n && at(line, i + 6 + k)) lightAfter = false;
                }
                if (lightBefore || lightAfter) score += 40;
            }
        }
    }
    int dark = 0;
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            dark += c.dark(x, y) ? 1 : 0;
            if (x + 1 < n && y + 1 < n && c.dark(x, y) == c.dark(x + 1, y) && c.dark(x, y) == c.dark(x, y + 1) &&
                c.dark(x, y) == c.dark(x + 1, y + 1)) {
                score += 3;
            }
        }
    }
    score += 10 * static_cast<int>(std::floor(std::abs(100.0 * dark / (n * n) - 50.0) / 5.0));
    return score;
}

int encoderPenalty(const QrCode& c) {
    auto m = std::make_unique<detail::Matrix>();
    m->reset(c.size);
    for (int y = 0; y < c.size; ++y) {
        for (int x = 0; x < c.size; ++x) m->set(x, y, c.dark(x, y));
    }
    return detail::penalty(*m);
}

class MaskChoice : public ::testing::TestWithParam<int> {};

TEST_P(MaskChoice, PenaltyMatchesReferenceAndLowestWins) {
    const int version = GetParam();
    const std::string text =
        test::sampleBytes(static_cast<size_t>(byteCapacity(version, Ecc::M)) / 2 + 1, static_cast<uint32_t>(version));
    int best = -1;
    int bestScore = 0;
    for (int mask = 0; mask < 8; ++mask) {
        const auto code = encode(text, Ecc::M, false, version, mask);
        ASSERT_TRUE(code.has_value());
        const int expected = referencePenalty(*code);
        EXPECT_EQ(encoderPenalty(*code), expected) << "mask " << mask;
        if (best < 0 || expected < bestScore) {
            best = mask;
            bestScore = expected;
        }
    }
    const auto chosen = encode(text, Ecc::M, false, version);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(chosen->mask, best);
}

INSTANTIATE_TEST_SUITE_P(Versions, MaskChoice, ::testing::Values(1, 2, 6, 7, 9, 10, 14, 21, 27, 32, 40));

}  // namespace
}  // namespace tavrio::qr
