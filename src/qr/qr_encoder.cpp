#include "qr/qr_encoder.h"

#include <climits>
#include <memory>

#include "qr/qr_mask.h"
#include "qr/qr_matrix.h"
#include "qr/qr_tables.h"
#include "qr/reed_solomon.h"

namespace tavrio::qr {
namespace {

using namespace detail;

constexpr int kMaxCodewords = 3706;  // version 40

// Big-endian bit appender into a byte buffer that is large enough.
class BitWriter {
public:
    explicit BitWriter(uint8_t* out) : out_(out) {}

    void put(uint32_t value, int bits) {
        acc_ = (acc_ << bits) | value;
        pending_ += bits;
        while (pending_ >= 8) {
            pending_ -= 8;
            out_[bytes_++] = static_cast<uint8_t>(acc_ >> pending_);
        }
    }
    void padToByte() {
        if (pending_ != 0) put(0, 8 - pending_);
    }
    size_t bytes() const { return bytes_; }
    int bitCount() const { return static_cast<int>(bytes_ * 8) + pending_; }

private:
    uint8_t* out_;
    uint64_t acc_ = 0;
    int pending_ = 0;
    size_t bytes_ = 0;
};

struct Workspace {
    uint8_t data[kMaxCodewords];
    uint8_t ecc[kMaxCodewords];
    uint8_t codewords[kMaxCodewords];
    Matrix base;
    Matrix function;
    Matrix dataModules;
    Matrix trial;
};

bool validEcc(Ecc e) { return static_cast<unsigned>(e) <= static_cast<unsigned>(Ecc::H); }

bool fits(size_t length, int version, Ecc ecc) { return length <= static_cast<size_t>(byteCapacity(version, ecc)); }

// One byte-mode segment, terminator, bit padding and the alternating pad codewords.
void writeDataCodewords(std::string_view bytes, int version, int capacity, uint8_t* out) {
    BitWriter w(out);
    w.put(0x4, 4);
    w.put(static_cast<uint32_t>(bytes.size()), byteModeCountBits(version));
    for (unsigned char c : bytes) w.put(c, 8);
    const int room = capacity * 8 - w.bitCount();
    w.put(0, room < 4 ? room : 4);
    w.padToByte();
    for (uint8_t pad = 0xEC; w.bytes() < static_cast<size_t>(capacity); pad ^= 0xEC ^ 0x11) w.put(pad, 8);
}

// Splits the data into blocks, adds each block's error correction and interleaves the lot.
void buildCodewords(Workspace& ws, int version, Ecc ecc) {
    const int total = totalCodewords(version);
    const int blocks = blockCount(version, ecc);
    const int eccLen = eccCodewordsPerBlock(version, ecc);
    const int shortBlocks = blocks - total % blocks;
    const int shortData = total / blocks - eccLen;

    auto dataLength = [&](int b) { return shortData + (b >= shortBlocks ? 1 : 0); };
    auto dataOffset = [&](int b) { return b * shortData + (b > shortBlocks ? b - shortBlocks : 0); };

    for (int b = 0; b < blocks; ++b) {
        reedSolomonRemainder(ws.data + dataOffset(b), static_cast<size_t>(dataLength(b)), eccLen, ws.ecc + b * eccLen);
    }

    int n = 0;
    for (int i = 0; i <= shortData; ++i) {
        for (int b = 0; b < blocks; ++b) {
            if (i < dataLength(b)) ws.codewords[n++] = ws.data[dataOffset(b) + i];
        }
    }
    for (int i = 0; i < eccLen; ++i) {
        for (int b = 0; b < blocks; ++b) ws.codewords[n++] = ws.ecc[b * eccLen + i];
    }
}

}  // namespace

int byteCapacity(int version, Ecc ecc) {
    if (version < kMinVersion || version > kMaxVersion || !validEcc(ecc)) return 0;
    return (dataCodewords(version, ecc) * 8 - 4 - byteModeCountBits(version)) / 8;
}

std::optional<QrCode> encode(std::string_view bytes, Ecc minEcc, bool boostEcc, int forceVersion, int forceMask) {
    if (!validEcc(minEcc) || forceVersion < 0 || forceVersion > kMaxVersion || forceMask < -1 ||
        forceMask >= kMaskCount) {
        return std::nullopt;
    }

    int version = forceVersion;
    if (version == 0) {
        for (int v = kMinVersion; v <= kMaxVersion && version == 0; ++v) {
            if (fits(bytes.size(), v, minEcc)) version = v;
        }
    }
    if (version == 0 || !fits(bytes.size(), version, minEcc)) return std::nullopt;

    Ecc ecc = minEcc;
    if (boostEcc) {
        for (int e = static_cast<int>(Ecc::H); e > static_cast<int>(minEcc); --e) {
            if (fits(bytes.size(), version, static_cast<Ecc>(e))) {
                ecc = static_cast<Ecc>(e);
                break;
            }
        }
    }

    // One allocation for all scratch space; left uninitialised, every part used is written first.
    std::unique_ptr<Workspace> ws(new Workspace);
    writeDataCodewords(bytes, version, dataCodewords(version, ecc), ws->data);
    buildCodewords(*ws, version, ecc);

    drawFunctionPatterns(version, ws->base, ws->function);
    placeCodewords(ws->codewords, static_cast<size_t>(totalCodewords(version)), ws->function, ws->base);
    dataModulesOf(ws->function, ws->dataModules);

    int mask = forceMask;
    if (mask < 0) {
        int bestScore = INT_MAX;
        for (int m = 0; m < kMaskCount; ++m) {
            applyMask(m, ws->base, ws->dataModules, ws->trial);
            drawFormatBits(ecc, m, ws->trial);
            const int score = penalty(ws->trial);
            if (score < bestScore) {
                bestScore = score;
                mask = m;
            }
        }
    }
    applyMask(mask, ws->base, ws->dataModules, ws->trial);
    drawFormatBits(ecc, mask, ws->trial);

    QrCode code;
    code.version = version;
    code.ecc = ecc;
    code.mask = mask;
    code.size = symbolSize(version);
    code.modules.resize(static_cast<size_t>(code.size) * code.size);
    uint8_t* out = code.modules.data();
    for (int y = 0; y < code.size; ++y) {
        const uint64_t* line = ws->trial.rows.line[y];
        for (int x = 0; x < code.size; ++x) *out++ = static_cast<uint8_t>((line[x >> 6] >> (x & 63)) & 1u);
    }
    return code;
}

}  // namespace tavrio::qr
