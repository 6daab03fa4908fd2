#pragma once

// QR Code Model 2 encoder (ISO/IEC 18004), byte mode, versions 1..40.
// Portable: no platform headers, no allocation per module.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tavrio::qr {

// Ordered from weakest to strongest, so levels compare with < and >.
enum class Ecc : uint8_t { L = 0, M = 1, Q = 2, H = 3 };

struct QrCode {
    int version = 0;  // 1..40
    Ecc ecc = Ecc::M;
    int mask = 0;  // 0..7
    int size = 0;  // modules per side: 17 + 4 * version
    // size * size entries, row after row; 1 = dark. No quiet zone.
    std::vector<uint8_t> modules;

    bool dark(int x, int y) const {
        return x >= 0 && y >= 0 && x < size && y < size && modules[static_cast<size_t>(y) * size + x] != 0;
    }
};

inline constexpr int kMinVersion = 1;
inline constexpr int kMaxVersion = 40;

// Most bytes that one symbol of this version and level holds in byte mode; 0 for a version outside 1..40.
int byteCapacity(int version, Ecc ecc);

// Encodes the bytes exactly as given (no character set conversion, no ECI).
// Picks the smallest version that holds them at minEcc; with boostEcc the level is then raised as far as
// that version still holds the data. forceVersion 1..40 fixes the version (0 = smallest that fits),
// forceMask 0..7 fixes the mask (-1 = lowest penalty). Returns nullopt when the data does not fit or an
// argument is out of range.
std::optional<QrCode> encode(std::string_view bytes, Ecc minEcc = Ecc::M, bool boostEcc = true, int forceVersion = 0,
                             int forceMask = -1);

}  // namespace tavrio::qr
