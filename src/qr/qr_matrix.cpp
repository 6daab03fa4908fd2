#include "qr/qr_matrix.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace tavrio::qr::detail {
namespace {

void mark(Matrix& base, Matrix& function, int x, int y, bool dark) {
    base.set(x, y, dark);
    function.set(x, y, true);
}

void drawFinder(Matrix& base, Matrix& function, int left, int top) {
    // 7x7 finder and the light separator around it (distance 4 from the centre), clipped at the edge.
    for (int dy = -4; dy <= 4; ++dy) {
        for (int dx = -4; dx <= 4; ++dx) {
            const int x = left + 3 + dx;
            const int y = top + 3 + dy;
            if (x < 0 || y < 0 || x >= base.size || y >= base.size) continue;
            const int d = std::max(std::abs(dx), std::abs(dy));
            mark(base, function, x, y, d != 2 && d != 4);
        }
    }
}

void drawAlignment(Matrix& base, Matrix& function, int cx, int cy) {
    for (int dy = -2; dy <= 2; ++dy) {
        for (int dx = -2; dx <= 2; ++dx) {
            mark(base, function, cx + dx, cy + dy, std::max(std::abs(dx), std::abs(dy)) != 1);
        }
    }
}

}  // namespace

void Matrix::reset(int newSize) {
    size = newSize;
    std::memset(rows.line, 0, sizeof rows.line);
    std::memset(cols.line, 0, sizeof cols.line);
}

void drawFunctionPatterns(int version, Matrix& base, Matrix& function) {
    const int size = symbolSize(version);
    base.reset(size);
    function.reset(size);

    for (int i = 0; i < size; ++i) {
        mark(base, function, 6, i, i % 2 == 0);
        mark(base, function, i, 6, i % 2 == 0);
    }
    drawFinder(base, function, 0, 0);
    drawFinder(base, function, size - 7, 0);
    drawFinder(base, function, 0, size - 7);

    int centres[7];
    const int n = alignmentCentres(version, centres);
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            const bool onFinder = (i == 0 && j == 0) || (i == 0 && j == n - 1) || (i == n - 1 && j == 0);
            if (!onFinder) drawAlignment(base, function, centres[i], centres[j]);
        }
    }

    // Format areas stay light here; drawFormatBits fills them per mask.
    for (int i = 0; i <= 8; ++i) {
        function.set(8, i, true);
        function.set(i, 8, true);
    }
    for (int i = 0; i < 8; ++i) {
        function.set(size - 1 - i, 8, true);
        function.set(8, size - 1 - i, true);
    }
    mark(base, function, 8, size - 8, true);

    if (version >= 7) {
        const uint32_t bits = versionBits(version);
        for (int i = 0; i < 18; ++i) {
            const bool on = (bits >> i) & 1u;
            const int a = size - 11 + i % 3;
            const int b = i / 3;
            mark(base, function, a, b, on);
            mark(base, function, b, a, on);
        }
    }
}

void placeCodewords(const uint8_t* codewords, size_t count, const Matrix& function, Matrix& base) {
    const int size = base.size;
    const size_t totalBits = count * 8;
    size_t bit = 0;
    for (int right = size - 1; right >= 1; right -= 2) {
        if (right == 6) right = 5;  // the vertical timing line is skipped as a whole column
        // size - 1 is a multiple of 4, so this alternates up, down, up... from the right edge.
        const bool upward = ((right + 1) & 2) == 0;
        for (int step = 0; step < size; ++step) {
            const int y = upward ? size - 1 - step : step;
            for (int x = right; x >= right - 1; --x) {
                if (function.dark(x, y)) continue;
                if (bit < totalBits) {
                    if ((codewords[bit >> 3] >> (7 - (bit & 7))) & 1u) base.set(x, y, true);
                    ++bit;
                }
                // Remainder bits stay light.
            }
        }
    }
}

void drawFormatBits(Ecc ecc, int mask, Matrix& m) {
    const uint32_t bits = formatBits(ecc, mask);
    const int size = m.size;
    auto bitAt = [bits](int i) { return ((bits >> i) & 1u) != 0; };

    // Around the top-left finder: bits 0..7 down column 8 (skipping the timing row), 8..14 leftwards
    // along row 8 (skipping the timing column).
    for (int i = 0; i <= 5; ++i) m.set(8, i, bitAt(i));
    m.set(8, 7, bitAt(6));
    m.set(8, 8, bitAt(7));
    m.set(7, 8, bitAt(8));
    for (int i = 9; i < 15; ++i) m.set(14 - i, 8, bitAt(i));

    // Second copy: 0..7 along row 8 from the right edge, 8..14 up column 8 ending at the bottom edge.
    for (int i = 0; i < 8; ++i) m.set(size - 1 - i, 8, bitAt(i));
    for (int i = 8; i < 15; ++i) m.set(8, size - 15 + i, bitAt(i));
}

}  // namespace tavrio::qr::detail
