// The shell record's conversion, and where a QR code lands in its square.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tray/tray_record.h"
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
