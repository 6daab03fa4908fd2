// The shell record's conversion, the icons built from bitmaps, and where a QR code lands in its square.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "tray/tray_record.h"
#include "win32/icon_factory_win32.h"
#include "win32/qr_code_control.h"
#include "win32/resource_ids.h"
#include "win32/shell_tray_win32.h"
#include "win32/text_codec_win32.h"

namespace tavrio::win32 {
namespace {

void put32(TrayRecordBytes& record, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) record[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

TEST(ShellTrayWin32, TheRecordBecomesTheNativeLayout) {
    TrayRecordBytes record{};
    put32(record, 0, 488);
    put32(record, 4, 0x00010ABCu);
    put32(record, 8, 1);
    put32(record, 12, 0x10);
    put32(record, 16, 0x200);
    put32(record, 20, 0x80001234u);  // a handle with its top bit set
    std::memcpy(record.data() + 24, "Tavrio\0   ", 10);
    std::memcpy(record.data() + 160, "Balloon\0", 8);
    put32(record, 416, 30000);
    std::memcpy(record.data() + 420, "Title\0", 6);
    put32(record, 484, 3);

    const NOTIFYICONDATAA data = nativeTrayRecord(record);
    EXPECT_EQ(data.cbSize, sizeof(NOTIFYICONDATAA));
    EXPECT_EQ(data.hWnd, reinterpret_cast<HWND>(0x10ABC));
    EXPECT_EQ(data.uID, 1u);
    EXPECT_EQ(data.uFlags, 0x10u);
    EXPECT_EQ(data.uCallbackMessage, 0x200u);
    // USER handles are sign-extended, as Windows widens them.
    EXPECT_EQ(reinterpret_cast<std::intptr_t>(data.hIcon), static_cast<std::intptr_t>(std::int32_t(0x80001234u)));
    EXPECT_STREQ(data.szTip, "Tavrio");
    EXPECT_STREQ(data.szInfo, "Balloon");
    EXPECT_EQ(data.uTimeout, 30000u);
    EXPECT_STREQ(data.szInfoTitle, "Title");
    EXPECT_EQ(data.dwInfoFlags, 3u);
}

TEST(ShellTrayWin32, AFullTipFieldStillEndsInsideItsField) {
    TrayRecord tray;
    tray.szTip = std::string(200, 'x');
    TextCodecWin32 codec;
    const NOTIFYICONDATAA data = nativeTrayRecord(tray.bytes(codec));
    EXPECT_EQ(std::strlen(data.szTip), 127u);
}

// Every call that reached the "shell", and whether it accepts the next one.
std::vector<std::pair<DWORD, UINT>> shellCalls;
BOOL shellAccepts = TRUE;
BOOL WINAPI recordShellCall(DWORD message, PNOTIFYICONDATAA data) {
    shellCalls.emplace_back(message, data->uFlags);
    return shellAccepts;
}

TEST(ShellTrayWin32, OnlyWhatChangesTheShownIconReachesTheShell) {
    const auto load = [](int id) {
        return UniqueIcon(static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR)));
    };
    UniqueIcon offline = load(TAVRIO_IDI_STATUS_0), ready = load(TAVRIO_IDI_STATUS_1);
    ASSERT_TRUE(offline && ready);
    // The filter compares handles: a destroyed icon's value never comes back for a new one.
    const HICON destroyed = CopyIcon(ready.get());
    DestroyIcon(destroyed);
    UniqueIcon readyAgain(CopyIcon(ready.get()));
    ASSERT_TRUE(readyAgain);
    EXPECT_NE(readyAgain.get(), destroyed);

    ShellTrayWin32 shell(recordShellCall);
    const auto call = [&](TrayMessage message, std::uint32_t flags, HICON icon, const char* tip) {
        TrayRecordBytes record{};
        put32(record, 4, 0x1234);
        put32(record, 8, 1);
        put32(record, 12, flags);
        put32(record, 16, 0x200);
        put32(record, 20, toHandle32(icon));
        std::memcpy(record.data() + 24, tip, std::strlen(tip) + 1);
        shellCalls.clear();
        shell.notifyIcon(message, record);
        return !shellCalls.empty();
    };
    const auto add = TrayMessage::Add, modify = TrayMessage::Modify;
    struct Step {
        TrayMessage message;
        std::uint32_t flags;
        HICON icon;
        const char* tip;
        bool reachesShell;
    };
    const Step steps[] = {
        {add, NIF_MESSAGE, nullptr, "", true},
        {modify, NIF_ICON, offline.get(), "", true},
        {modify, NIF_TIP, nullptr, "Bot offline", true},
        {modify, NIF_ICON, ready.get(), "", true},
        {modify, NIF_TIP, nullptr, "Bot Ready online", true},
        // each ready tick repeats both
        {modify, NIF_ICON, ready.get(), "", false},
        {modify, NIF_TIP, nullptr, "Bot Ready online", false},
        {modify, NIF_ICON, readyAgain.get(), "", true},
        {modify, NIF_ICON, readyAgain.get(), "", false},
        {modify, NIF_MESSAGE, nullptr, "", false},
        // a balloon is news each time
        {modify, NIF_INFO, nullptr, "", true},
        {modify, NIF_INFO, nullptr, "", true},
        // the notification area was made again: the add goes, and so does everything after it once
        {add, NIF_MESSAGE, nullptr, "", true},
        {modify, NIF_ICON, ready.get(), "", true},
        {modify, NIF_TIP, nullptr, "Bot Ready online", true},
        {modify, NIF_TIP, nullptr, "Bot Ready online", false},
        {TrayMessage::Delete, 0, nullptr, "", true},
        {modify, NIF_TIP, nullptr, "Bot Ready online", true},
    };
    int index = 0;
    for (const Step& step : steps) {
        EXPECT_EQ(call(step.message, step.flags, step.icon, step.tip), step.reachesShell) << "step " << index;
        ++index;
    }

    // A call the shell refused leaves what it carried unknown: the same call goes again.
    call(add, NIF_MESSAGE, nullptr, "");
    call(modify, NIF_TIP, nullptr, "Bot offline");
    shellAccepts = FALSE;
    EXPECT_TRUE(call(modify, NIF_TIP, nullptr, "QR Pl. Scan"));
    shellAccepts = TRUE;
    EXPECT_TRUE(call(modify, NIF_TIP, nullptr, "QR Pl. Scan"));
    EXPECT_FALSE(call(modify, NIF_TIP, nullptr, "QR Pl. Scan"));

    // An add refused because the icon is still there, then a modify that finds it: the filter works on.
    shellAccepts = FALSE;
    call(add, NIF_MESSAGE, nullptr, "");
    shellAccepts = TRUE;
    EXPECT_TRUE(call(modify, NIF_MESSAGE, nullptr, ""));
    EXPECT_TRUE(call(modify, NIF_TIP, nullptr, "QR Pl. Scan"));
    EXPECT_FALSE(call(modify, NIF_TIP, nullptr, "QR Pl. Scan"));
}

// A 32 x 32 top-down 32-bit bitmap whose pixel (x, y) is `colour` inside `square`, `other` elsewhere.
UniqueBitmap makeBitmap(COLORREF colour, COLORREF other, RECT square, int width = 32, int height = 32) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    auto* pixels = static_cast<std::uint32_t*>(bits);
    const auto asDib = [](COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool inside = x >= square.left && x < square.right && y >= square.top && y < square.bottom;
            pixels[y * width + x] = asDib(inside ? colour : other);
        }
    }
    GdiFlush();
    return bitmap;
}

COLORREF pixelOf(HBITMAP bitmap, int x, int y) {
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    ScopedSelect selected(dc.get(), bitmap);
    return GetPixel(dc.get(), x, y);
}

// The icon's mask as one flag per pixel: true = transparent.
std::vector<bool> maskOf(HICON icon, int width, int height) {
    ICONINFO info{};
    GetIconInfo(icon, &info);
    UniqueBitmap mask(info.hbmMask), colour(info.hbmColor);
    std::vector<bool> transparent;
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    ScopedSelect selected(dc.get(), mask.get());
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) transparent.push_back(GetPixel(dc.get(), x, y) == RGB(255, 255, 255));
    }
    return transparent;
}

constexpr COLORREF kMagenta = RGB(255, 0, 255), kGreen = RGB(0, 160, 0);

TEST(IconFactoryWin32, TheTransparentColourVanishesAndTurnsBlackInThePicture) {
    IconFactoryWin32 icons;
    UniqueBitmap picture = makeBitmap(kGreen, kMagenta, RECT{8, 8, 24, 24});
    const std::uint32_t icon = icons.transparentIconFromBitmap(toHandle32(picture.get()), kMagenta);
    ASSERT_NE(icon, 0u);

    const std::vector<bool> transparent = maskOf(fromHandle32<HICON>(icon), 32, 32);
    EXPECT_TRUE(transparent[0]);
    EXPECT_TRUE(transparent[7 * 32 + 31]);
    EXPECT_FALSE(transparent[8 * 32 + 8]);
    EXPECT_FALSE(transparent[23 * 32 + 23]);
    EXPECT_EQ(pixelOf(picture.get(), 0, 0), RGB(0, 0, 0));
    EXPECT_EQ(pixelOf(picture.get(), 10, 10), kGreen);
    icons.destroyIcon(icon);
}

TEST(IconFactoryWin32, AnOpaqueIconKeepsEveryPixelAndTheBitmapsSize) {
    IconFactoryWin32 icons;
    UniqueBitmap picture = makeBitmap(kGreen, kMagenta, RECT{0, 0, 5, 5}, 48, 40);
    const std::uint32_t icon = icons.iconFromBitmap(toHandle32(picture.get()));
    ASSERT_NE(icon, 0u);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(fromHandle32<HICON>(icon), &info));
    UniqueBitmap mask(info.hbmMask), colour(info.hbmColor);
    BITMAP size{};
    GetObjectW(colour.get(), sizeof size, &size);
    EXPECT_EQ(size.bmWidth, 48);
    EXPECT_EQ(size.bmHeight, 40);
    const std::vector<bool> transparent = maskOf(fromHandle32<HICON>(icon), 48, 40);
    EXPECT_EQ(std::count(transparent.begin(), transparent.end(), true), 0);
    EXPECT_EQ(pixelOf(picture.get(), 30, 30), kMagenta);  // the picture itself is not touched
    icons.destroyIcon(icon);
}

TEST(IconFactoryWin32, NoIconFromSomethingThatIsNoBitmap) {
    IconFactoryWin32 icons;
    EXPECT_EQ(icons.iconFromBitmap(0), 0u);
    EXPECT_EQ(icons.transparentIconFromBitmap(0, kMagenta), 0u);
    icons.destroyIcon(0);  // harmless
}

TEST(QrPlacement, WholePixelsPerModuleCentredInTheSquare) {
    // Version 3 (29 modules) with its quiet zone in the 273-pixel control.
    const QrPlacement place = placeQr(37, 273, 273);
    EXPECT_EQ(place.side, 259);
    EXPECT_EQ(place.left, 7);
    EXPECT_EQ(place.top, 7);
    EXPECT_EQ(place.edge(1) - place.edge(0), 7);
    EXPECT_EQ(place.edge(37), 259);
}

TEST(QrPlacement, AWideAreaCentresTheSquareAcross) {
    const QrPlacement place = placeQr(21, 300, 100);
    EXPECT_EQ(place.side, 84);
    EXPECT_EQ(place.left, 108);
    EXPECT_EQ(place.top, 8);
}

TEST(QrPlacement, TooSmallForOnePixelAModuleItScalesToTheWholeSquare) {
    const QrPlacement place = placeQr(185, 100, 100);
    EXPECT_EQ(place.side, 100);
    EXPECT_EQ(place.edge(185), 100);
    EXPECT_LE(place.edge(92), 50);
}

}  // namespace
}  // namespace tavrio::win32
