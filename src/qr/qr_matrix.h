#pragma once

// Bit-packed symbol kept in both orientations, so that runs along rows and along columns are both
// word-parallel: rows.line[y] holds bit x, cols.line[x] holds bit y.

#include <cstddef>
#include <cstdint>

#include "qr/qr_encoder.h"
#include "qr/qr_tables.h"

namespace tavrio::qr::detail {

inline constexpr int kWords = (kMaxSize + 63) / 64;

struct BitGrid {
    uint64_t line[kMaxSize][kWords];

    bool get(int l, int bit) const { return (line[l][bit >> 6] >> (bit & 63)) & 1u; }
    void set(int l, int bit, bool on) {
        const uint64_t m = uint64_t{1} << (bit & 63);
        if (on) {
            line[l][bit >> 6] |= m;
        } else {
            line[l][bit >> 6] &= ~m;
        }
    }
};

struct Matrix {
    int size = 0;
    BitGrid rows;
    BitGrid cols;

    void reset(int newSize);
    bool dark(int x, int y) const { return rows.get(y, x); }
    void set(int x, int y, bool on) {
        rows.set(y, x, on);
        cols.set(x, y, on);
    }
};

inline constexpr int wordsFor(int size) { return (size + 63) / 64; }

// Draws finders, separators, timing, alignment, version information and the dark module into base and
// marks them, and the space for the format bits, in function.
void drawFunctionPatterns(int version, Matrix& base, Matrix& function);

// Lays the codewords into the non-function modules in the standard zigzag, most significant bit first.
void placeCodewords(const uint8_t* codewords, size_t count, const Matrix& function, Matrix& base);

// Writes both copies of the format information.
void drawFormatBits(Ecc ecc, int mask, Matrix& m);

}  // namespace tavrio::qr::detail
