#pragma once

// Reed-Solomon error correction over GF(256) with the QR field polynomial x^8 + x^4 + x^3 + x^2 + 1.

#include <cstddef>
#include <cstdint>

namespace tavrio::qr::detail {

inline constexpr int kMaxEccPerBlock = 30;

uint8_t gfMultiply(uint8_t a, uint8_t b);

// Writes the eccLength (1..30) error correction codewords of data to ecc.
void reedSolomonRemainder(const uint8_t* data, size_t length, int eccLength, uint8_t* ecc);

}  // namespace tavrio::qr::detail
