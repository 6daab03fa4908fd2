#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "qr/qr_encoder.h"

namespace tavrio::qr::test {

inline const Ecc kLevels[] = {Ecc::L, Ecc::M, Ecc::Q, Ecc::H};

inline char levelName(Ecc e) { return "LMQH"[static_cast<int>(e)]; }

// Deterministic bytes covering the whole 0..255 range, NUL included.
std::string sampleBytes(size_t length, uint32_t seed);

// Renders the code with a quiet zone and reads it back; nullopt when ZXing finds no valid QR code.
struct Decoded {
    std::string bytes;
    std::string ecLevel;
};
std::optional<Decoded> decodeWithZxing(const QrCode& code);

}  // namespace tavrio::qr::test
