#include "qr/qr_tables.h"

namespace tavrio::qr::detail {
namespace {

// Error correction codewords per block and number of blocks, indexed [level][version]; index 0 is unused.
constexpr int8_t kEccPerBlock[4][41] = {
    {0,  7,  10, 15, 20, 26, 18, 20, 24, 30, 18, 20, 24, 26, 30, 22, 24, 28, 30, 28, 28,
     28, 28, 30, 30, 26, 28, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30},
    {0,  10, 16, 26, 18, 24, 16, 18, 22, 22, 26, 30, 22, 22, 24, 24, 28, 28, 26, 26, 26,
     26, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28},
    {0,  13, 22, 18, 26, 18, 24, 18, 22, 20, 24, 28, 26, 24, 20, 30, 24, 28, 28, 26, 30,
     28, 30, 30, 30, 30, 28, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30},
    {0,  17, 28, 22, 16, 22, 28, 26, 26, 24, 28, 24, 28, 22, 24, 24, 30, 28, 28, 26, 28,
     30, 24, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30},
};

constexpr int8_t kBlocks[4][41] = {
    {0, 1, 1, 1,  1,  1,  2,  2,  2,  2,  4,  4,  4,  4,  4,  6,  6,  6,  6,  7, 8,
     8, 9, 9, 10, 12, 12, 12, 13, 14, 15, 16, 17, 18, 19, 19, 20, 21, 22, 24, 25},
    {0,  1,  1,  1,  2,  2,  4,  4,  4,  5,  5,  5,  8,  9,  9,  10, 10, 11, 13, 14, 16,
     17, 17, 18, 20, 21, 23, 25, 26, 28, 29, 31, 33, 35, 37, 38, 40, 43, 45, 47, 49},
    {0,  1,  1,  2,  2,  4,  4,  6,  6,  8,  8,  8,  10, 12, 16, 12, 17, 16, 18, 21, 20,
     23, 23, 25, 27, 29, 34, 34, 35, 38, 40, 43, 45, 48, 51, 53, 56, 59, 62, 65, 68},
    {0,  1,  1,  2,  4,  4,  4,  5,  6,  8,  8,  11, 11, 16, 16, 18, 16, 19, 21, 25, 25,
     25, 34, 30, 32, 35, 37, 40, 42, 45, 48, 51, 54, 57, 60, 63, 66, 70, 74, 77, 81},
};

// Alignment pattern centres, last one at size - 7; zeros pad the rows.
constexpr uint8_t kAlignment[41][7] = {
    {},
    {},
    {6, 18},
    {6, 22},
    {6, 26},
    {6, 30},
    {6, 34},
    {6, 22, 38},
    {6, 24, 42},
    {6, 26, 46},
    {6, 28, 50},
    {6, 30, 54},
    {6, 32, 58},
    {6, 34, 62},
    {6, 26, 46, 66},
    {6, 26, 48, 70},
    {6, 26, 50, 74},
    {6, 30, 54, 78},
    {6, 30, 56, 82},
    {6, 30, 58, 86},
    {6, 34, 62, 90},
    {6, 28, 50, 72, 94},
    {6, 26, 50, 74, 98},
    {6, 30, 54, 78, 102},
    {6, 28, 54, 80, 106},
    {6, 32, 58, 84, 110},
    {6, 30, 58, 86, 114},
    {6, 34, 62, 90, 118},
    {6, 26, 50, 74, 98, 122},
    {6, 30, 54, 78, 102, 126},
    {6, 26, 52, 78, 104, 130},
    {6, 30, 56, 82, 108, 134},
    {6, 34, 60, 86, 112, 138},
    {6, 30, 58, 86, 114, 142},
    {6, 34, 62, 90, 118, 146},
    {6, 30, 54, 78, 102, 126, 150},
    {6, 24, 50, 76, 102, 128, 154},
    {6, 28, 54, 80, 106, 132, 158},
    {6, 32, 58, 84, 110, 136, 162},
    {6, 26, 54, 82, 110, 138, 166},
    {6, 30, 58, 86, 114, 142, 170},
};

// Remainder of value * x^(degree of poly) divided by poly, over GF(2).
constexpr uint32_t bchRemainder(uint32_t value, uint32_t poly, int polyDegree) {
    uint32_t r = value << polyDegree;
    for (int bit = 31; bit >= polyDegree; --bit) {
        if (r & (1u << bit)) r ^= poly << (bit - polyDegree);
    }
    return r;
}

}  // namespace

int rawDataModules(int version) {
    const int size = symbolSize(version);
    // Three finders with separators (8x8 each), two timing lines between them, both format copies with
    // the dark module.
    int used = 3 * 64 + 2 * (size - 16) + 31;
    if (version >= 2) {
        const int n = version / 7 + 2;
        // Alignment patterns not on a finder; those on row or column 6 share five modules with timing.
        used += 25 * (n * n - 3) - 10 * (n - 2);
    }
    if (version >= 7) used += 2 * 18;
    return size * size - used;
}

int eccCodewordsPerBlock(int version, Ecc ecc) { return kEccPerBlock[static_cast<int>(ecc)][version]; }

int blockCount(int version, Ecc ecc) { return kBlocks[static_cast<int>(ecc)][version]; }

int dataCodewords(int version, Ecc ecc) {
    return totalCodewords(version) - eccCodewordsPerBlock(version, ecc) * blockCount(version, ecc);
}

int alignmentCentres(int version, int out[7]) {
    int n = 0;
    for (uint8_t c : kAlignment[version]) {
        if (c == 0) break;
        out[n++] = c;
    }
    return n;
}

uint32_t formatBits(Ecc ecc, int mask) {
    // The level's two bits are not in strength order: L=01, M=00, Q=11, H=10.
    static constexpr uint32_t kLevelBits[4] = {1, 0, 3, 2};
    const uint32_t data = (kLevelBits[static_cast<int>(ecc)] << 3) | static_cast<uint32_t>(mask);
    return ((data << 10) | bchRemainder(data, 0x537, 10)) ^ 0x5412;
}

uint32_t versionBits(int version) {
    const uint32_t v = static_cast<uint32_t>(version);
    return (v << 12) | bchRemainder(v, 0x1F25, 12);
}

}  // namespace tavrio::qr::detail
