#include "screen_capture.h"

#include <algorithm>

namespace e2e {

Capture capture(HWND control) {
    Capture shot;
    RECT rect{};
    GetWindowRect(control, &rect);
    shot.width = rect.right - rect.left;
    shot.height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, shot.width, shot.height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, shot.width, shot.height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = shot.width;
    info.bmiHeader.biHeight = -shot.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    shot.pixels.resize(static_cast<std::size_t>(shot.width) * shot.height);
    GetDIBits(memory, bitmap, 0, shot.height, shot.pixels.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return shot;
}

SymbolBox findSymbol(const Capture& shot) {
    int left = shot.width, top = shot.height, right = -1, bottom = -1;
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x)
            if (shot.dark(x, y)) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    if (right < 0) return {};
    return {left, top, right - left + 1, bottom - top + 1};
}

std::vector<std::uint8_t> sampleModules(const Capture& shot, int size) {
    std::vector<std::uint8_t> modules;
    const SymbolBox box = findSymbol(shot);
    if (!box.found()) return modules;
    const double module = box.width / static_cast<double>(size);
    for (int my = 0; my < size; ++my)
        for (int mx = 0; mx < size; ++mx)
            modules.push_back(shot.dark(box.left + static_cast<int>((mx + 0.5) * module),
                                        box.top + static_cast<int>((my + 0.5) * module)));
    return modules;
}

}  // namespace e2e
