// Our QR encoder against libqrencode on the same texts, both in byte mode at level M with automatic
// version and mask.

#include <benchmark/benchmark.h>
#include <qrencode.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "qr/qr_encoder.h"

namespace {

using tavrio::qr::Ecc;

// Base64-like text with commas, the shape of a pairing text.
std::string pairingLikeText(size_t length) {
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string s;
    s.reserve(length);
    uint32_t x = 0x9E3779B9u;
    for (size_t i = 0; i < length; ++i) {
        x = x * 1664525u + 1013904223u;
        s += (i % 60 == 59) ? ',' : kAlphabet[(x >> 24) & 63];
    }
    return s;
}

const std::string& textFor(int which) {
    static const std::string kTexts[] = {
        pairingLikeText(240),
        pairingLikeText(1024),
        pairingLikeText(static_cast<size_t>(tavrio::qr::byteCapacity(tavrio::qr::kMaxVersion, Ecc::M))),
    };
    return kTexts[which];
}

void label(benchmark::State& state, const std::string& text, int version) {
    state.SetLabel(std::to_string(text.size()) + " bytes, version " + std::to_string(version));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

void BM_Tavrio(benchmark::State& state) {
    const std::string& text = textFor(static_cast<int>(state.range(0)));
    int version = 0;
    for (auto _ : state) {
        auto code = tavrio::qr::encode(text, Ecc::M, /*boostEcc=*/false);
        if (!code) {
            state.SkipWithError("text does not fit");
            return;
        }
        version = code->version;
        benchmark::DoNotOptimize(code->modules.data());
    }
    label(state, text, version);
}

void BM_Libqrencode(benchmark::State& state) {
    const std::string& text = textFor(static_cast<int>(state.range(0)));
    int version = 0;
    for (auto _ : state) {
        QRcode* q = QRcode_encodeData(static_cast<int>(text.size()),
                                      reinterpret_cast<const unsigned char*>(text.data()), 0, QR_ECLEVEL_M);
        if (q == nullptr) {
            state.SkipWithError("libqrencode refused the text");
            return;
        }
        version = q->version;
        benchmark::DoNotOptimize(q->data);
        QRcode_free(q);
    }
    label(state, text, version);
}

// 0: 240-character pairing text, 1: 1 KiB, 2: the most that version 40 holds at M.
BENCHMARK(BM_Tavrio)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Libqrencode)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
