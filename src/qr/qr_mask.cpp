#include "qr/qr_mask.h"

#include <cstdlib>

namespace tavrio::qr::detail {
namespace {

constexpr int kPenaltyRun = 3;
constexpr int kPenaltyBlock = 3;
constexpr int kPenaltyFinder = 40;
constexpr int kPenaltyBalance = 10;

// Every mask repeats after 12 rows and after 12 columns.
constexpr int kPeriod = 12;

constexpr bool inverts(int mask, int x, int y) {
    switch (mask) {
        case 0: return (x + y) % 2 == 0;
        case 1: return y % 2 == 0;
        case 2: return x % 3 == 0;
        case 3: return (x + y) % 3 == 0;
        case 4: return (y / 2 + x / 3) % 2 == 0;
        case 5: return (x * y) % 2 + (x * y) % 3 == 0;
        case 6: return ((x * y) % 2 + (x * y) % 3) % 2 == 0;
        default: return ((x + y) % 2 + (x * y) % 3) % 2 == 0;
    }
}

struct MaskLines {
    // row[m][y % 12]: bit x set where mask m inverts (x, y); col[m][x % 12]: bit y set likewise.
    uint64_t row[kMaskCount][kPeriod][kWords] = {};
    uint64_t col[kMaskCount][kPeriod][kWords] = {};
};

constexpr MaskLines makeMaskLines() {
    MaskLines t;
    for (int m = 0; m < kMaskCount; ++m) {
        for (int r = 0; r < kPeriod; ++r) {
            for (int i = 0; i < kWords * 64; ++i) {
                if (inverts(m, i, r)) t.row[m][r][i >> 6] |= uint64_t{1} << (i & 63);
                if (inverts(m, r, i)) t.col[m][r][i >> 6] |= uint64_t{1} << (i & 63);
            }
        }
    }
    return t;
}

constexpr MaskLines kMaskLines = makeMaskLines();

inline int popcount(uint64_t v) {
#if defined(__GNUC__) && defined(__POPCNT__)
    return __builtin_popcountll(v);
#else
    // Without a popcount instruction the builtin becomes a library call; this is quicker.
    v = v - ((v >> 1) & 0x5555555555555555ull);
    v = (v & 0x3333333333333333ull) + ((v >> 2) & 0x3333333333333333ull);
    v = (v + (v >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    return static_cast<int>((v * 0x0101010101010101ull) >> 56);
#endif
}

inline uint64_t laneMask(int size, int word) {
    const int bits = size - word * 64;
    if (bits >= 64) return ~uint64_t{0};
    return bits <= 0 ? 0 : (uint64_t{1} << bits) - 1;
}

// N1 and N3 along the line index of g, 64 lanes (one word column) at a time. For the rows grid these are
// the runs down each column, for the cols grid the runs along each row.
int linePenalty(const BitGrid& g, int size) {
    int runs = 0;
    int finders = 0;
    uint64_t same[kMaxSize];        // same[i]: line i equals line i + 1, lane by lane
    uint64_t padded[kMaxSize + 8];  // the lines with four light lines on either side
    for (int w = 0; w < wordsFor(size); ++w) {
        const uint64_t lanes = laneMask(size, w);
        for (int i = 0; i + 1 < size; ++i) same[i] = ~(g.line[i][w] ^ g.line[i + 1][w]) & lanes;

        // A run of length L >= 5 scores 3 + (L - 5): one per window of five (L - 4) plus two more at
        // the window that starts it.
        for (int i = 0; i + 4 < size; ++i) {
            const uint64_t five = same[i] & same[i + 1] & same[i + 2] & same[i + 3];
            const uint64_t starts = i == 0 ? five : five & ~same[i - 1];
            runs += popcount(five) + (kPenaltyRun - 1) * popcount(starts);
        }

        for (int i = 0; i < 4; ++i) padded[i] = padded[size + 4 + i] = 0;
        for (int i = 0; i < size; ++i) padded[i + 4] = g.line[i][w];
        const uint64_t* p = padded + 4;
        for (int i = 0; i + 7 <= size; ++i) {
            const uint64_t core = p[i] & ~p[i + 1] & p[i + 2] & p[i + 3] & p[i + 4] & ~p[i + 5] & p[i + 6];
            if (core == 0) continue;
            const uint64_t darkBefore = p[i - 4] | p[i - 3] | p[i - 2] | p[i - 1];
            const uint64_t darkAfter = p[i + 7] | p[i + 8] | p[i + 9] | p[i + 10];
            finders += popcount(core & ~(darkBefore & darkAfter));
        }
    }
    return runs + finders * kPenaltyFinder;
}

// 2x2 blocks of one colour, each counted wherever it sits, so a larger block scores (m-1)(n-1) times.
int blockPenalty(const BitGrid& rows, int size) {
    const int words = wordsFor(size);
    int blocks = 0;
    for (int y = 0; y + 1 < size; ++y) {
        const uint64_t* a = rows.line[y];
        const uint64_t* b = rows.line[y + 1];
        for (int w = 0; w < words; ++w) {
            // Neighbours one column to the right, carried across the word boundary.
            const uint64_t nextA = w + 1 < words ? a[w + 1] : 0;
            const uint64_t nextB = w + 1 < words ? b[w + 1] : 0;
            const uint64_t aRight = (a[w] >> 1) | (nextA << 63);
            const uint64_t bRight = (b[w] >> 1) | (nextB << 63);
            const uint64_t block = ~(a[w] ^ b[w]) & ~(aRight ^ bRight) & ~(a[w] ^ aRight);
            blocks += popcount(block & laneMask(size - 1, w));
        }
    }
    return blocks * kPenaltyBlock;
}

int balancePenalty(const BitGrid& rows, int size) {
    int dark = 0;
    for (int y = 0; y < size; ++y) {
        for (int w = 0; w < wordsFor(size); ++w) dark += popcount(rows.line[y][w]);
    }
    const int total = size * size;
    // k whole steps of 5 % away from 50 %: |100 dark / total - 50| / 5 = |20 dark - 10 total| / total.
    return std::abs(20 * dark - 10 * total) / total * kPenaltyBalance;
}

}  // namespace

bool maskInverts(int mask, int x, int y) { return inverts(mask, x, y); }

void dataModulesOf(const Matrix& function, Matrix& data) {
    const int size = function.size;
    data.reset(size);
    for (int i = 0; i < size; ++i) {
        for (int w = 0; w < wordsFor(size); ++w) {
            data.rows.line[i][w] = ~function.rows.line[i][w] & laneMask(size, w);
            data.cols.line[i][w] = ~function.cols.line[i][w] & laneMask(size, w);
        }
    }
}

void applyMask(int mask, const Matrix& base, const Matrix& data, Matrix& out) {
    const int size = base.size;
    const int words = wordsFor(size);
    out.size = size;
    for (int i = 0; i < size; ++i) {
        const uint64_t* rowPattern = kMaskLines.row[mask][i % kPeriod];
        const uint64_t* colPattern = kMaskLines.col[mask][i % kPeriod];
        for (int w = 0; w < words; ++w) {
            out.rows.line[i][w] = base.rows.line[i][w] ^ (rowPattern[w] & data.rows.line[i][w]);
            out.cols.line[i][w] = base.cols.line[i][w] ^ (colPattern[w] & data.cols.line[i][w]);
        }
    }
}

int penalty(const Matrix& m) {
    return linePenalty(m.rows, m.size) + linePenalty(m.cols, m.size) + blockPenalty(m.rows, m.size) +
           balancePenalty(m.rows, m.size);
}

}  // namespace tavrio::qr::detail
