// qr.txt bytes -> the symbol: every text up to the capacity encodes and reads back the same (ZXing); a longer
// one is refused ("too long").
#include "app/file_text.h"
#include "fuzz_support.h"
#include "qr_test_support.h"

using namespace tavrio;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Latin1Codec codec;
    const std::string text = decodeFileText(std::string(reinterpret_cast<const char*>(data), size), codec);
    if (text.empty()) return 0;  // the control shows nothing then
    // As the QR control encodes its text.
    const std::optional<qr::QrCode> code = qr::encode(text, qr::Ecc::M, false);
    const bool fits = text.size() <= static_cast<std::size_t>(qr::byteCapacity(qr::kMaxVersion, qr::Ecc::M));
    FUZZ_CHECK(code.has_value() == fits);
    if (!code) return 0;
    FUZZ_CHECK(code->ecc == qr::Ecc::M && code->size == 17 + 4 * code->version);
    const std::optional<qr::test::Decoded> decoded = qr::test::decodeWithZxing(*code);
    FUZZ_CHECK(decoded.has_value());
    FUZZ_CHECK(decoded->bytes == text);
    return 0;
}
