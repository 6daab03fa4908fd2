#pragma once

// The eight data masks and the penalty that picks one of them.

#include "qr/qr_matrix.h"

namespace tavrio::qr::detail {

inline constexpr int kMaskCount = 8;

// The module at column x, row y is inverted by the mask.
bool maskInverts(int mask, int x, int y);

// Sets exactly the modules that carry codewords or remainder bits: those that are not function modules.
void dataModulesOf(const Matrix& function, Matrix& data);

// out = base with the mask applied to the data modules; format bits are left as they are in base.
void applyMask(int mask, const Matrix& base, const Matrix& data, Matrix& out);

// Penalty score of a finished symbol (format bits in place): runs of five or more (N1), 2x2 blocks (N2),
// finder-like 1:1:3:1:1 runs with four light modules before or after, the outside counting as light (N3),
// and the dark share's distance from half (N4).
int penalty(const Matrix& m);

}  // namespace tavrio::qr::detail
