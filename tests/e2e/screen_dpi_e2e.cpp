// The window at the screen's DPI: its layout in pixels of that DPI, labels not cut, a QR code with
// whole pixels per module, and the tray's right press. TAVRIO_E2E_DPI=144 (or any DPI) runs the panel at that
// DPI: Wine gives a program the prefix's LogPixels when it starts, so the value is set for the panel's start and
// put back at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "app/window_layout.h"
#include "panel_driver.h"
#include "qr/qr_encoder.h"
#include "screen_capture.h"
#include "sim_client.h"

namespace e2e {
namespace {

constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
constexpr wchar_t kLogPixels[] = L"LogPixels";

// The prefix's DPI for the programs started while it lives; the earlier setting comes back when it goes.
class PrefixDpi {
public:
    explicit PrefixDpi(DWORD dpi) {
        DWORD value = 0, size = sizeof value;
        if (RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, kLogPixels, RRF_RT_REG_DWORD, nullptr, &value, &size) ==
            ERROR_SUCCESS)
            before_ = value;
        set(dpi);
    }
    ~PrefixDpi() {
        if (before_) {
            set(*before_);
        } else {
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktopKey, kLogPixels);
        }
    }
    PrefixDpi(const PrefixDpi&) = delete;
    PrefixDpi& operator=(const PrefixDpi&) = delete;

private:
    static void set(DWORD dpi) {
        RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, kLogPixels, REG_DWORD, &dpi, sizeof dpi);
    }
    std::optional<DWORD> before_;
};

int screenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

// The DPI asked for, or the screen's own.
int dpiUnderTest() {
    const char* asked = std::getenv("TAVRIO_E2E_DPI");
    const int dpi = asked != nullptr ? std::atoi(asked) : 0;
    return dpi > 0 ? dpi : screenDpi();
}

RECT clientRectOf(HWND control, HWND window) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Within half a pixel of the twips' exact place at `dpi`: the nearest pixel.
bool nearestPixel(LONG pixels, std::int32_t twips, int dpi) { return std::abs(pixels - twips * dpi / 1440.0) <= 0.5; }

// A label's text as the screen shows it, on one line and whole: its ink (whatever is not the background) lies in one
// band of rows and clear of the right edge. A text too wide for its label wraps into a second, cut-off line.
bool oneWholeLine(const Capture& shot) {
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const std::uint32_t background = GetRValue(face) << 16 | GetGValue(face) << 8 | GetBValue(face);
    int bands = 0, rightmost = -1;
    bool inkAbove = false;
    for (int y = 0; y < shot.height; ++y) {
        bool ink = false;
        for (int x = 0; x < shot.width; ++x) {
            if ((shot.pixels[static_cast<std::size_t>(y) * shot.width + x] & 0xFFFFFF) == background) continue;
            ink = true;
            rightmost = std::max(rightmost, x);
        }
        if (ink && !inkAbove) ++bands;
        inkAbove = ink;
    }
    return bands <= 1 && rightmost < shot.width - 1;
}

class ScreenDpi : public ::testing::Test {
protected:
    void TearDown() override { killAll(L"bot.exe"); }
};

TEST_F(ScreenDpi, LayoutLabelsQrCodeAndTrayMenuFollowTheDpi) {
    const int dpi = dpiUnderTest();
    ProgramFolder folder("dpi-" + std::to_string(dpi));
    folder.writeAutoStart(true);
    Panel panel(folder);
    {
        std::optional<PrefixDpi> prefix;
        if (dpi != screenDpi()) prefix.emplace(static_cast<DWORD>(dpi));
        ASSERT_TRUE(panel.start());
        ASSERT_NE(panel.window(), nullptr);
    }

    // The layout: the client area and every control where its twips fall at this DPI.
    RECT client{};
    GetClientRect(panel.window(), &client);
    EXPECT_TRUE(nearestPixel(client.right, tavrio::kClientWidthTwips, dpi)) << client.right << " at " << dpi;
    // Windows makes no window taller than the screen (768 pixels here hold no 200 % window).
    RECT frame{};
    GetWindowRect(panel.window(), &frame);
    const bool heldByTheScreen = frame.bottom - frame.top >= GetSystemMetrics(SM_CYSCREEN);
    EXPECT_TRUE(nearestPixel(client.bottom, tavrio::kClientHeightTwips, dpi) || heldByTheScreen)
        << client.bottom << " at " << dpi << ", frame " << frame.bottom - frame.top;
    const tavrio::ControlSet layout = tavrio::designLayout();
    for (int i = 0; i <= static_cast<int>(Control::Label6); ++i) {
        const tavrio::ControlState& design = layout[static_cast<std::size_t>(i)];
        const RECT at = clientRectOf(panel.control(static_cast<Control>(i)), panel.window());
        EXPECT_TRUE(nearestPixel(at.left, design.left, dpi) && nearestPixel(at.top, design.top, dpi) &&
                    nearestPixel(at.right, design.left + design.width, dpi) &&
                    nearestPixel(at.bottom, design.top + design.height, dpi))
            << "control " << i << " at " << at.left << "," << at.top << "-" << at.right << "," << at.bottom;
    }

    // The QR code, read back off the screen: whole pixels per module, each module of one colour.
    ASSERT_TRUE(
        waitFor([&] { return panel.windowVisible() && panel.visible(Control::QR1); }, std::chrono::seconds(30)));
    // At the top-left corner of the screen, so that the whole code is on it however large the window.
    SetWindowPos(panel.window(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    const std::string pairing = jsonMember(simRequest(folder.port(), "GET", "/sim/state").body, "pairing");
    ASSERT_FALSE(pairing.empty());
    ASSERT_TRUE(waitFor([&] { return panel.text(Control::QR1) == pairing; }));
    const auto expected = tavrio::qr::encode(pairing, tavrio::qr::Ecc::M, false);
    ASSERT_TRUE(expected.has_value());
    // Until the move and the new text are painted: every pixel of the symbol in its module's colour.
    SymbolBox box;
    const int size = expected->size;
    EXPECT_TRUE(waitFor([&] {
        const Capture shot = capture(panel.control(Control::QR1));
        box = findSymbol(shot);
        if (!box.found() || box.width != box.height || box.width % size != 0) return false;
        const int module = box.width / size;
        for (int y = 0; y < box.height; ++y)
            for (int x = 0; x < box.width; ++x)
                if (shot.dark(box.left + x, box.top + y) != expected->dark(x / module, y / module)) return false;
        return true;
    })) << box.width
        << " pixels for " << size << " modules at " << dpi;

    // Ready: the bold status and the blue phone line among the labels.
    ASSERT_TRUE(simRequest(folder.port(), "POST", "/sim/link").ok);
    ASSERT_TRUE(waitFor([&] { return panel.text(Control::lblStatus) == "BOT READY"; }));
    ASSERT_TRUE(waitFor([&] { return panel.text(Control::Label4).find("919876543210") != std::string::npos; }));
    // Read off the screen, in the font the panel really uses: every label that lies wholly on the screen.
    RECT workArea{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    for (int i = 0; i <= static_cast<int>(Control::Label6); ++i) {
        const auto c = static_cast<Control>(i);
        RECT onScreen{};
        GetWindowRect(panel.control(c), &onScreen);
        if (layout[static_cast<std::size_t>(i)].kind != tavrio::ControlKind::Label || !panel.visible(c) ||
            onScreen.bottom > workArea.bottom || onScreen.right > workArea.right)
            continue;
        EXPECT_TRUE(oneWholeLine(capture(panel.control(c))))
            << "control " << i << " \"" << panel.text(c) << "\" is cut at " << dpi;
    }

    // The shell's right press on the icon opens the menu at this DPI too.
    ASSERT_TRUE(panel.openTrayMenu()) << "at " << dpi;
    EXPECT_TRUE(panel.chooseTrayMenuItem(Control::mnuOpen));  // the window is already shown
}

}  // namespace
}  // namespace e2e
