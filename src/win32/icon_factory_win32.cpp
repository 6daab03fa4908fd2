#include "win32/icon_factory_win32.h"

#include <vector>

namespace tavrio::win32 {
namespace {

constexpr int kTraySide = 32;

HICON iconOf(HBITMAP mask, HBITMAP colour) {
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmMask = mask;
    info.hbmColor = colour;
    return CreateIconIndirect(&info);
}

}  // namespace

std::uint32_t IconFactoryWin32::iconFromBitmap(std::uint32_t bitmap) {
    const HBITMAP colour = fromHandle32<HBITMAP>(bitmap);
    BITMAP description{};
    if (GetObjectA(colour, sizeof description, &description) == 0) return 0;
    // A mask made without bits has undefined contents; an all-zero mask is what keeps every pixel opaque.
    const std::size_t stride = (static_cast<std::size_t>(description.bmWidth) + 15) / 16 * 2;
    const std::vector<std::uint8_t> opaque(stride * static_cast<std::size_t>(description.bmHeight), 0);
    UniqueBitmap mask(CreateBitmap(description.bmWidth, description.bmHeight, 1, 1, opaque.data()));
    if (!mask) return 0;
    return toHandle32(iconOf(mask.get(), colour));
}

std::uint32_t IconFactoryWin32::transparentIconFromBitmap(std::uint32_t bitmap, std::uint32_t color) {
    const HBITMAP colour = fromHandle32<HBITMAP>(bitmap);
    UniqueBitmap mask;
    {
        UniqueMemoryDc pictureDc(CreateCompatibleDC(nullptr));
        UniqueMemoryDc maskDc(CreateCompatibleDC(nullptr));
        if (pictureDc && maskDc) {
            ScopedSelect picture(pictureDc.get(), colour);
            if (picture.ok()) {
                mask = maskFromColor(pictureDc.get(), color);
                ScopedSelect maskSelected(maskDc.get(), mask.get());
                if (maskSelected.ok()) {
                    // A monochrome source reaches a colour DC as text colour for 0 and background colour for
                    // 1: the transparent pixels (1) turn black and SRCAND leaves every other pixel unchanged.
                    SetTextColor(pictureDc.get(), RGB(255, 255, 255));
                    SetBkColor(pictureDc.get(), RGB(0, 0, 0));
                    BitBlt(pictureDc.get(), 0, 0, kTraySide, kTraySide, maskDc.get(), 0, 0, SRCAND);
                }
            }
        }
        // The selections are undone here, before the DCs go: a bitmap still selected cannot join an icon.
    }
    if (!mask) return 0;
    // The colour bitmap stays the picture's own; only the mask was made here.
    return toHandle32(iconOf(mask.get(), colour));
}

void IconFactoryWin32::destroyIcon(std::uint32_t icon) {
    if (icon != 0) DestroyIcon(fromHandle32<HICON>(icon));
}

UniqueBitmap maskFromColor(HDC dc, COLORREF color) {
    UniqueMemoryDc maskDc(CreateCompatibleDC(dc));
    if (!maskDc) return nullptr;
    UniqueBitmap mask(CreateBitmap(kTraySide, kTraySide, 1, 1, nullptr));
    if (!mask) return nullptr;
    BOOL copied = FALSE;
    {
        ScopedSelect selected(maskDc.get(), mask.get());
        if (!selected.ok()) return nullptr;
        // Blitting colour to monochrome makes pixels equal to the source's background colour 1, all others 0.
        const COLORREF previousBackground = SetBkColor(dc, color);
        copied = BitBlt(maskDc.get(), 0, 0, kTraySide, kTraySide, dc, 0, 0, SRCCOPY);
        SetBkColor(dc, previousBackground);
    }
    if (!copied) return nullptr;
    return mask;
}

}  // namespace tavrio::win32
