#pragma once

#include "platform/platform.h"
#include "win32/win32.h"

namespace tavrio::win32 {

class IconFactoryWin32 final : public IconFactory {
public:
    std::uint32_t iconFromBitmap(std::uint32_t bitmap) override;
    std::uint32_t transparentIconFromBitmap(std::uint32_t bitmap, std::uint32_t color) override;
    void destroyIcon(std::uint32_t icon) override;
};

// A 32 x 32 monochrome mask of `dc`'s top-left pixels: 1 where the pixel is `color`, 0 elsewhere. The caller
// owns the result; null when it could not be made.
UniqueBitmap maskFromColor(HDC dc, COLORREF color);

}  // namespace tavrio::win32
