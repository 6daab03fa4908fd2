#pragma once

// Per-version constants of QR Code Model 2.

#include <cstdint>

#include "qr/qr_encoder.h"

namespace tavrio::qr::detail {

inline constexpr int kMaxSize = 17 + 4 * kMaxVersion;

constexpr int symbolSize(int version) { return 17 + 4 * version; }

// Modules left for codewords and remainder bits once every function pattern is drawn.
int rawDataModules(int version);

// All codewords of the symbol, data and error correction together.
inline int totalCodewords(int version) { return rawDataModules(version) / 8; }

int eccCodewordsPerBlock(int version, Ecc ecc);
int blockCount(int version, Ecc ecc);
int dataCodewords(int version, Ecc ecc);

// Bits of the character count indicator in byte mode.
constexpr int byteModeCountBits(int version) { return version < 10 ? 8 : 16; }

// Centre coordinates of the alignment patterns along one axis; returns how many (0 for version 1).
int alignmentCentres(int version, int out[7]);

// 15 format bits: level and mask, BCH-protected and XORed with the fixed pattern.
uint32_t formatBits(Ecc ecc, int mask);

// 18 version bits for versions 7..40.
uint32_t versionBits(int version);

}  // namespace tavrio::qr::detail
