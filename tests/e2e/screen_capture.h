// A control's pixels straight from the screen, as the user sees them, and a QR symbol read back off them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace e2e {

struct Capture {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;  // 0x00RRGGBB
    bool dark(int x, int y) const {
        const std::uint32_t p = pixels[static_cast<std::size_t>(y) * width + x];
        return ((p >> 16 & 0xFF) + (p >> 8 & 0xFF) + (p & 0xFF)) < 384;
    }
};

Capture capture(HWND control);

// Where the symbol lies in a capture: the box of its dark pixels, which its finder patterns span.
struct SymbolBox {
    int left = 0, top = 0, width = 0, height = 0;
    bool found() const { return width > 0; }
};
SymbolBox findSymbol(const Capture& shot);

// Reads the symbol of `size` modules a side off the picture, sampling each module's centre.
std::vector<std::uint8_t> sampleModules(const Capture& shot, int size);

}  // namespace e2e
