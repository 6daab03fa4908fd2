#define ZX_USE_UTF8 1
#include "qr_test_support.h"

#include <ZXing/ReadBarcode.h>

#include <vector>

namespace tavrio::qr::test {

std::string sampleBytes(size_t length, uint32_t seed) {
    std::string s(length, '\0');
    uint32_t x = seed * 2654435761u + 1;
    for (char& c : s) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = static_cast<char>(x & 0xFF);
    }
    return s;
}

std::optional<Decoded> decodeWithZxing(const QrCode& code) {
    constexpr int kQuiet = 4;
    constexpr int kScale = 3;
    const int side = (code.size + 2 * kQuiet) * kScale;
    std::vector<uint8_t> pixels(static_cast<size_t>(side) * side, 0xFF);
    for (int y = 0; y < code.size; ++y) {
        for (int x = 0; x < code.size; ++x) {
            if (!code.dark(x, y)) continue;
            for (int dy = 0; dy < kScale; ++dy) {
                uint8_t* row = &pixels[static_cast<size_t>((y + kQuiet) * kScale + dy) * side];
                for (int dx = 0; dx < kScale; ++dx) row[(x + kQuiet) * kScale + dx] = 0;
            }
        }
    }
    const ZXing::ImageView image(pixels.data(), side, side, ZXing::ImageFormat::Lum);
    const auto hints = ZXing::DecodeHints().setFormats(ZXing::BarcodeFormat::QRCode).setIsPure(true);
    const ZXing::Result result = ZXing::ReadBarcode(image, hints);
    if (!result.isValid()) return std::nullopt;
    const auto& raw = result.bytes();
    return Decoded{std::string(raw.begin(), raw.end()), result.ecLevel()};
}

}  // namespace tavrio::qr::test
