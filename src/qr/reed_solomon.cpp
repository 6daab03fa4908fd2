#include "qr/reed_solomon.h"

#include <cstring>

namespace tavrio::qr::detail {
namespace {

struct GfTables {
    // exp is doubled so that exp[log a + log b] needs no reduction modulo 255.
    uint8_t exp[512] = {};
    uint8_t log[256] = {};
    // Generator polynomial of each degree as logs of its coefficients, highest power first, the leading 1
    // left out: gen[n][0..n-1] belongs to prod_{i<n} (x - a^i).
    uint8_t genLog[kMaxEccPerBlock + 1][kMaxEccPerBlock] = {};
};

constexpr GfTables makeTables() {
    GfTables t;
    unsigned x = 1;
    for (int i = 0; i < 255; ++i) {
        t.exp[i] = static_cast<uint8_t>(x);
        t.log[x] = static_cast<uint8_t>(i);
        x <<= 1;
        if (x & 0x100) x ^= 0x11D;
    }
    for (int i = 255; i < 512; ++i) t.exp[i] = t.exp[i - 255];

    for (int n = 1; n <= kMaxEccPerBlock; ++n) {
        // coef[0..n] highest power first, built by multiplying in (x + a^i) one root at a time.
        uint8_t coef[kMaxEccPerBlock + 1] = {1};
        for (int i = 0; i < n; ++i) {
            for (int j = i + 1; j >= 1; --j) {
                const uint8_t c = coef[j - 1];
                const uint8_t product = c == 0 ? 0 : t.exp[t.log[c] + i];
                coef[j] = static_cast<uint8_t>(coef[j] ^ product);
            }
        }
        for (int j = 1; j <= n; ++j) {
            // The loop below relies on every coefficient being non-zero; a zero one stops compilation here.
            if (coef[j] == 0) throw "zero generator coefficient";
            t.genLog[n][j - 1] = t.log[coef[j]];
        }
    }
    return t;
}

constexpr GfTables kGf = makeTables();

}  // namespace

uint8_t gfMultiply(uint8_t a, uint8_t b) {
    if (a == 0 || b == 0) return 0;
    return kGf.exp[kGf.log[a] + kGf.log[b]];
}

void reedSolomonRemainder(const uint8_t* data, size_t length, int eccLength, uint8_t* ecc) {
    const uint8_t* gen = kGf.genLog[eccLength];
    uint8_t reg[kMaxEccPerBlock + 1] = {};
    for (size_t i = 0; i < length; ++i) {
        const uint8_t factor = static_cast<uint8_t>(data[i] ^ reg[0]);
        // Shift by one; reg[eccLength] stays zero and feeds the last place.
        std::memmove(reg, reg + 1, static_cast<size_t>(eccLength));
        if (factor != 0) {
            const int lf = kGf.log[factor];
            for (int j = 0; j < eccLength; ++j) reg[j] = static_cast<uint8_t>(reg[j] ^ kGf.exp[lf + gen[j]]);
        }
    }
    std::memcpy(ecc, reg, static_cast<size_t>(eccLength));
}

}  // namespace tavrio::qr::detail
