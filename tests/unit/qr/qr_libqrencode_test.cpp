// Module-for-module comparison with libqrencode at the same version, level and mask.

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <qrencode.h>

#include <memory>
#include <string>
#include <tuple>

#include "qr/qr_encoder.h"
#include "qr_test_support.h"

namespace tavrio::qr {
namespace {

using test::kLevels;
using test::levelName;

struct QrcodeFree {
    void operator()(QRcode* q) const { QRcode_free(q); }
};
using QrcodePtr = std::unique_ptr<QRcode, QrcodeFree>;

QRecLevel toQrencode(Ecc e) {
    switch (e) {
        case Ecc::L: return QR_ECLEVEL_L;
        case Ecc::M: return QR_ECLEVEL_M;
        case Ecc::Q: return QR_ECLEVEL_Q;
        default: return QR_ECLEVEL_H;
    }
}

// Level and mask as written in libqrencode's first format copy, read independently of the encoder.
struct FormatInfo {
    int levelBits;
    int mask;
};
FormatInfo readFormat(const QRcode& q) {
    static const int kPositions[15][2] = {{0, 8}, {1, 8}, {2, 8}, {3, 8}, {4, 8}, {5, 8}, {7, 8}, {8, 8},
                                          {8, 7}, {8, 5}, {8, 4}, {8, 3}, {8, 2}, {8, 1}, {8, 0}};
    int bits = 0;
    for (const auto& p : kPositions) bits = (bits << 1) | (q.data[p[1] * q.width + p[0]] & 1);
    bits ^= 0x5412;
    return {(bits >> 13) & 3, (bits >> 10) & 7};
}

// Index of the first differing module, or -1.
int firstDifference(const QRcode& q, const QrCode& mine) {
    if (q.width != mine.size) return 0;
    for (int i = 0; i < q.width * q.width; ++i) {
        if ((q.data[i] & 1) != mine.modules[static_cast<size_t>(i)]) return i;
    }
    return -1;
}

// The mask-forcing entry point is exported but not declared in qrencode.h; look it up so that a build
// without it skips instead of failing to link.
using EncodeMaskFn = QRcode* (*)(QRinput*, int);
EncodeMaskFn encodeMaskFn() { return reinterpret_cast<EncodeMaskFn>(dlsym(RTLD_DEFAULT, "QRcode_encodeMask")); }

class LibqrencodeMatch : public ::testing::TestWithParam<std::tuple<int, Ecc>> {
protected:
    // The shortest text that needs this version: one byte more than the version below holds. That leaves
    // room for terminator and pad codewords, which the full-symbol round trip never reaches.
    std::string text() const {
        const auto [version, ecc] = GetParam();
        const int previous = version > 1 ? byteCapacity(version - 1, ecc) : 0;
        return test::sampleBytes(static_cast<size_t>(previous + 1), version * 31u + static_cast<uint32_t>(ecc));
    }
};

TEST_P(LibqrencodeMatch, SameModulesAtItsMask) {
    const auto [version, ecc] = GetParam();
    const std::string t = text();
    QrcodePtr q(QRcode_encodeData(static_cast<int>(t.size()), reinterpret_cast<const unsigned char*>(t.data()), version,
                                  toQrencode(ecc)));
    ASSERT_TRUE(q) << "libqrencode refused the text";
    ASSERT_EQ(q->version, version);
    const FormatInfo format = readFormat(*q);
    static const int kLevelBits[4] = {1, 0, 3, 2};
    ASSERT_EQ(format.levelBits, kLevelBits[static_cast<int>(ecc)]) << "format bits misread";

    // Automatic version choice: the text needs exactly this version.
    const auto mine = encode(t, ecc, /*boostEcc=*/false, /*forceVersion=*/0, format.mask);
    ASSERT_TRUE(mine.has_value());
    EXPECT_EQ(mine->version, version);
    const int diff = firstDifference(*q, *mine);
    EXPECT_EQ(diff, -1) << "mask " << format.mask << ", first difference at x=" << diff % q->width
                        << " y=" << diff / q->width;
}

TEST_P(LibqrencodeMatch, SameModulesAtEveryMask) {
    const EncodeMaskFn encodeMask = encodeMaskFn();
    if (encodeMask == nullptr) GTEST_SKIP() << "this libqrencode exports no QRcode_encodeMask";
    const auto [version, ecc] = GetParam();
    const std::string t = text();
    for (int mask = 0; mask < 8; ++mask) {
        std::unique_ptr<QRinput, void (*)(QRinput*)> input(QRinput_new2(version, toQrencode(ecc)), QRinput_free);
        ASSERT_TRUE(input);
        ASSERT_EQ(QRinput_append(input.get(), QR_MODE_8, static_cast<int>(t.size()),
                                 reinterpret_cast<const unsigned char*>(t.data())),
                  0);
        QrcodePtr q(encodeMask(input.get(), mask));
        ASSERT_TRUE(q);
        ASSERT_EQ(readFormat(*q).mask, mask);

        const auto mine = encode(t, ecc, false, version, mask);
        ASSERT_TRUE(mine.has_value());
        const int diff = firstDifference(*q, *mine);
        EXPECT_EQ(diff, -1) << "mask " << mask << ", first difference at x=" << diff % q->width
                            << " y=" << diff / q->width;
    }
}

INSTANTIATE_TEST_SUITE_P(AllVersionsAndLevels, LibqrencodeMatch,
                         ::testing::Combine(::testing::Range(kMinVersion, kMaxVersion + 1),
                                            ::testing::ValuesIn(kLevels)),
                         [](const auto& info) {
                             return "V" + std::to_string(std::get<0>(info.param)) + "_" +
                                    levelName(std::get<1>(info.param));
                         });

}  // namespace
}  // namespace tavrio::qr
