// The real window around the real core: the load mirrored into controls, and clicks, typing, timer ticks and
// the tray's callback routed back in. The shell, processes, waits, boxes and HTTP are recorded instead.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <set>
#include <vector>

#include "app/main_window.h"
#include "app/window_layout.h"
#include "test_support.h"
#include "win32/file_system_win32.h"
#include "win32/message_boxes_win32.h"
#include "win32/panel_window.h"
#include "win32/profile_reader_win32.h"
#include "win32/resource_ids.h"
#include "win32/text_codec_win32.h"
#include "win32/wide_text.h"

namespace tavrio::win32 {
namespace {

struct Recorder : ProcessStarter, Clock, MessageBoxes, HttpClient, ShellTray, SystemPower {
    void closeBox(std::size_t) override {}
    void closeAll() override {}
    std::vector<std::string> commands;
    std::vector<std::uint32_t> sleeps;
    std::vector<std::string> boxes;
    std::vector<std::pair<TrayMessage, TrayRecordBytes>> tray;
    bool shellRefuses = false;

    StartResult startSupervised(const std::string& path, WindowMode) override {
        commands.push_back("program " + path);
        return {true, 4242, "", nullptr};
    }
    StartResult startCommandLine(const std::string& line, WindowMode) override {
        commands.push_back("command " + line);
        return {true, 1, "", nullptr};
    }
    StartResult startNotepad(const std::string&) override { return {}; }
    void sleepMs(std::uint32_t ms) override { sleeps.push_back(ms); }
    std::uint64_t nowMs() override { return 0; }
    LocalTime localTime() override { return {}; }
    void show(const std::string& text, MessageIcon) override { boxes.push_back(text); }
    HttpResult send(const HttpRequest&) override { return {}; }
    bool notifyIcon(TrayMessage message, const TrayRecordBytes& record) override {
        tray.emplace_back(message, record);
        return !shellRefuses;
    }
    bool onMainsPower() override { return true; }
    void keepSystemAwake(bool) override {}
    void registerForRestart() override {}
};

int iconSide(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return 0;
    BITMAP mask{};
    GetObjectW(info.hbmMask, sizeof mask, &mask);
    DeleteObject(info.hbmMask);
    if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
    return mask.bmWidth;
}

class PanelWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder.write(".env", "PORT=3033\r\nTAVRIO_API_KEY=qvx\r\nCOMPNEYNAME=demo shop\r\n");
        ASSERT_TRUE(window->create());
        form = std::make_unique<Form1>(
            Services{files, codec, fake, fake, fake, fake, profile, fake, *window, fake, folder.path(), 7});
        ASSERT_TRUE(window->attach(*form));
        form->load();
    }
    void TearDown() override {
        // As the program ends: the window closes while the core lives; the members then go in reverse order. The
        // destroyed window asked the thread's loop to end; the next test has a loop of its own.
        SendMessageW(mainWindow(), WM_CLOSE, 0, 0);
        MSG quit;
        while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
    }

    HWND mainWindow() { return fromHandle32<HWND>(window->windowHandle()); }
    HWND control(ControlId id) { return GetDlgItem(mainWindow(), commandIdOf(id)); }
    std::string text(HWND hwnd) {
        wchar_t buffer[512] = {};
        GetWindowTextW(hwnd, buffer, 512);
        return narrow(buffer);
    }
    std::string text(ControlId id) { return text(control(id)); }
    bool visible(ControlId id) { return (GetWindowLongW(control(id), GWL_STYLE) & WS_VISIBLE) != 0; }
    void press(ControlId id) {
        SendMessageW(mainWindow(), WM_COMMAND, MAKEWPARAM(commandIdOf(id), BN_CLICKED),
                     reinterpret_cast<LPARAM>(control(id)));
    }
    // Runs the thread's messages until `condition` holds; false after three seconds.
    bool pumpUntil(const std::function<bool()>& condition) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (!condition()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
            Sleep(10);
        }
        return true;
    }

    testing::TempFolder folder;
    FileSystemWin32 files;
    TextCodecWin32 codec;
    ProfileReaderWin32 profile;
    Recorder fake;
    std::unique_ptr<PanelWindow> window = std::make_unique<PanelWindow>(GetModuleHandleW(nullptr));
    std::unique_ptr<Form1> form;
};

TEST_F(PanelWindowTest, TheLoadShowsInTheRealControls) {
    // What the core decided reaches the real title, buttons, labels and edit boxes (the rules are the core's tests).
    EXPECT_EQ(text(mainWindow()), "VANTERO");
    EXPECT_EQ(text(ControlId::cmdStart), "Start Bot");
    EXPECT_EQ(text(ControlId::lbkey), "qvx");
    EXPECT_EQ(text(ControlId::txtPort), "3033");
    EXPECT_FALSE(visible(ControlId::QR1));
    EXPECT_FALSE(visible(ControlId::Command3));
    EXPECT_TRUE(visible(ControlId::Command2));

    // Twips to pixels at 96 dpi: 15 to one.
    RECT client{};
    GetClientRect(mainWindow(), &client);
    EXPECT_EQ(client.right, 280);
    EXPECT_EQ(client.bottom, 451);
    RECT start{};
    GetWindowRect(control(ControlId::cmdStart), &start);
    MapWindowPoints(nullptr, mainWindow(), reinterpret_cast<POINT*>(&start), 2);
    EXPECT_EQ(start.left, 4);
    EXPECT_EQ(start.top, 4);
    EXPECT_EQ(start.right - start.left, 69);
    EXPECT_EQ(start.bottom - start.top, 23);
    // The status pictures sit below the client area.
    RECT picture{};
    GetWindowRect(control(ControlId::Image1_0), &picture);
    MapWindowPoints(nullptr, mainWindow(), reinterpret_cast<POINT*>(&picture), 2);
    EXPECT_GT(picture.top, client.bottom);
}

TEST_F(PanelWindowTest, TheTrayIconGetsTheWindowAndTheFirstStatusPicture) {
    ASSERT_GE(fake.tray.size(), 2u);
    EXPECT_EQ(fake.tray[0].first, TrayMessage::Add);
    EXPECT_EQ(readTray32(fake.tray[0].second, tray_field::hWnd), window->windowHandle());
    EXPECT_EQ(fake.tray[1].first, TrayMessage::Modify);
    ASSERT_TRUE(window->pictureIcon(0).has_value());
    EXPECT_NE(*window->pictureIcon(0), 0u);
    EXPECT_EQ(readTray32(fake.tray[1].second, tray_field::hIcon), *window->pictureIcon(0));
    EXPECT_NE(*window->pictureIcon(1), *window->pictureIcon(0));
    EXPECT_FALSE(window->pictureIcon(3).has_value());

    // Each in the size it is drawn at: the tray's small icon, the picture controls' large one.
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(iconSide(fromHandle32<HICON>(*window->pictureIcon(i))), GetSystemMetrics(SM_CXSMICON)) << i;
        const auto picture = static_cast<ControlId>(static_cast<int>(ControlId::Image1_0) + i);
        EXPECT_EQ(iconSide(reinterpret_cast<HICON>(SendMessageW(control(picture), STM_GETICON, 0, 0))),
                  GetSystemMetrics(SM_CXICON))
            << i;
    }

    // A shell that refuses the icon gets it again from the window's own timer, two seconds later.
    fake.shellRefuses = true;
    form->taskbarCreated();
    fake.shellRefuses = false;
    fake.tray.clear();
    ASSERT_TRUE(pumpUntil([&] { return !fake.tray.empty(); }));
    EXPECT_EQ(fake.tray.front().first, TrayMessage::Add);
}

TEST(IconResources, EachHoldsAnImageForEverySizeFrom96To192Dpi) {
    // A group icon's directory: 6 bytes of header, then 14 bytes per image, its width first (0 for 256).
    for (int id : {TAVRIO_IDI_PANEL, TAVRIO_IDI_STATUS_0, TAVRIO_IDI_STATUS_1, TAVRIO_IDI_STATUS_2}) {
        HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), RT_GROUP_ICON);
        ASSERT_NE(found, nullptr) << id;
        const auto* directory = static_cast<const std::uint8_t*>(LockResource(LoadResource(nullptr, found)));
        const int count = directory[4] | directory[5] << 8;
        std::set<int> sides;
        for (int i = 0; i < count; ++i) {
            const std::uint8_t* entry = directory + 6 + 14 * i;
            sides.insert(entry[0]);
            const int bitsPerPixel = entry[6] | entry[7] << 8;
            EXPECT_EQ(bitsPerPixel, id == TAVRIO_IDI_STATUS_2 ? 4 : 32) << id << " at " << int{entry[0]};
        }
        EXPECT_EQ(sides, (std::set<int>{16, 20, 24, 32, 40, 48, 64})) << id;
    }
}

TEST_F(PanelWindowTest, StartMirrorsTheRunningStateAndTheTimerTicks) {
    press(ControlId::cmdStart);
    EXPECT_FALSE(IsWindowEnabled(control(ControlId::cmdStart)));
    EXPECT_EQ(text(ControlId::txtPhone), "");
    EXPECT_EQ(text(ControlId::Label3), "4242");
    EXPECT_EQ(fake.commands.back(), "program " + folder.at("bot.exe"));

    // The status line's red comes from the window's colour handling.
    HDC dc = GetDC(mainWindow());
    SendMessageW(mainWindow(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(control(ControlId::lblStatus)));
    EXPECT_EQ(GetTextColor(dc), RGB(255, 0, 0));
    ReleaseDC(mainWindow(), dc);

    folder.write("qr.txt", "2@pairing,text");
    ASSERT_TRUE(pumpUntil([&] { return text(ControlId::Label1) == "1"; }));
    EXPECT_EQ(text(ControlId::QR1), "2@pairing,text");
    EXPECT_TRUE(visible(ControlId::QR1));
    EXPECT_TRUE(IsWindowVisible(mainWindow()));

    // A colour set back to the default repaints as well.
    ControlState status = form->control(ControlId::lblStatus);
    ValidateRect(control(ControlId::lblStatus), nullptr);
    status.textColor = kDefaultColor;
    window->applyControl(ControlId::lblStatus, status);
    EXPECT_TRUE(GetUpdateRect(control(ControlId::lblStatus), nullptr, FALSE));
}

TEST_F(PanelWindowTest, TypingReachesTheCoreAndTheCoresTextReplacesIt) {
    SetWindowTextW(control(ControlId::txtMessage), L"gr\u00FC\u00DF");
    EXPECT_EQ(form->control(ControlId::txtMessage).text, "gr\xC3\xBC\xC3\x9F");
    press(ControlId::cmdStart);  // START empties both text boxes
    EXPECT_EQ(text(ControlId::txtMessage), "");
    EXPECT_EQ(form->control(ControlId::txtMessage).text, "");
}

TEST_F(PanelWindowTest, TheUsersCloseOnlyHidesAndACloseFromOutsideEnds) {
    window->setWindowVisible(true);
    const HWND panel = mainWindow();
    SendMessageW(panel, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(IsWindow(panel));
    EXPECT_FALSE(IsWindowVisible(panel));
    EXPECT_TRUE(fake.commands.empty());

    SendMessageW(panel, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(panel));
    EXPECT_EQ(fake.commands.front(), "command taskkill /f /im bot.exe") << "the bot is stopped first";
    EXPECT_EQ(fake.tray.back().first, TrayMessage::Delete);
}

// Chooses "&Open" in the popup menu as soon as it is open.
void CALLBACK chooseOpen(HWND, UINT, UINT_PTR timer, DWORD) {
    if (HWND menu = FindWindowW(L"#32768", nullptr); menu != nullptr && IsWindowVisible(menu)) {
        KillTimer(nullptr, timer);
        PostMessageW(menu, WM_CHAR, 'o', 0);
    }
}

TEST_F(PanelWindowTest, ARightPressOnTheTrayIconOpensTheMenuAndRunsTheChoice) {
    ASSERT_FALSE(IsWindowVisible(mainWindow()));
    SetTimer(nullptr, 0, 50, chooseOpen);
    // The shell's callback: WM_MOUSEMOVE with WM_RBUTTONDOWN where x would be.
    SendMessageW(mainWindow(), WM_MOUSEMOVE, 1, WM_RBUTTONDOWN);
    EXPECT_TRUE(IsWindowVisible(mainWindow()));
}

TEST_F(PanelWindowTest, TheMenuHoldsItsVisibleItemsInOrderAndAGreyLineShowsAnAmpersand) {
    const HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 9, 9, nullptr, nullptr, nullptr, nullptr);
    ControlMirror mirror(GetModuleHandleW(nullptr));
    ControlSet controls = designLayout();
    ASSERT_TRUE(mirror.create(parent, controls));
    const auto line = [&](int i) { return controlOfCommand(static_cast<int>(GetMenuItemID(mirror.menu(), i))); };
    EXPECT_EQ(GetMenuItemCount(mirror.menu()), 7) << "the outage line hidden";
    EXPECT_EQ(line(2), ControlId::mnuSeparator);
    ControlState& outage = controls[indexOf(ControlId::mnuOutage)];
    outage.text = "R&D";
    outage.visible = true;
    mirror.apply(ControlId::mnuOutage, outage);
    wchar_t text[16] = {};
    GetMenuStringW(mirror.menu(), 1, text, 16, MF_BYPOSITION);
    EXPECT_STREQ(text, L"R&&D");
    EXPECT_TRUE(GetMenuState(mirror.menu(), 1, MF_BYPOSITION) & MF_GRAYED);
    EXPECT_EQ(line(3), ControlId::mnuSeparator);
    outage.visible = false;
    mirror.apply(ControlId::mnuOutage, outage);
    EXPECT_EQ(line(1), ControlId::mnuLog);
    DestroyWindow(parent);
}

bool menuSeen = false;

// Closes any popup menu that opens, noting that one did: a wrong menu fails the test instead of hanging it.
void CALLBACK closeAnyMenu(HWND, UINT, UINT_PTR, DWORD) {
    if (HWND menu = FindWindowW(L"#32768", nullptr); menu != nullptr && IsWindowVisible(menu)) {
        menuSeen = true;
        EndMenu();
    }
}

TEST_F(PanelWindowTest, OtherTrayNotificationsAndMouseMovesOpenNoMenu) {
    menuSeen = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, closeAnyMenu);
    for (UINT code : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONUP}) {
        SendMessageW(mainWindow(), WM_MOUSEMOVE, 1, MAKELPARAM(code, 0));
    }
    SendMessageW(mainWindow(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(100, 100));
    KillTimer(nullptr, timer);
    EXPECT_FALSE(menuSeen);
}

// The boxes of this thread that are open now.
std::vector<HWND> openBoxes() {
    std::vector<HWND> found;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM param) -> BOOL {
            wchar_t cls[16] = {};
            GetClassNameW(hwnd, cls, 16);
            if (wcscmp(cls, L"#32770") == 0) reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// A tick that runs inside the boxes' own loops, as the window's timer does while a box waits: it opens a second
// box inside the first, closes that one by its depth, then every box left.
struct NestedBoxes {
    MessageBoxesWin32* boxes = nullptr;
    int step = 0, ticks = 0, boxesLeftAfterInner = -1;
    bool innerReturned = false;
} nested;

void CALLBACK nestedBoxesTick(HWND, UINT, UINT_PTR, DWORD) {
    // A close that never arrives fails the test instead of hanging it.
    if (++nested.ticks > 200) {
        for (HWND box : openBoxes()) PostMessageW(box, WM_COMMAND, IDOK, 0);
        return;
    }
    switch (nested.step) {
        case 0:
            nested.step = 1;
            nested.boxes->show("inner", MessageIcon::Error);  // this tick waits here, as the panel's does
            nested.innerReturned = true;
            nested.boxesLeftAfterInner = static_cast<int>(openBoxes().size());
            nested.step = 3;
            break;
        case 1:
            nested.step = 2;
            nested.boxes->closeBox(2);
            break;
        case 3:
            nested.step = 4;
            nested.boxes->closeAll();
            break;
        default: break;
    }
}

TEST_F(PanelWindowTest, ClosingABoxByItsDepthEndsItsShowAndLeavesTheBoxBeneathOpen) {
    MessageBoxesWin32 boxes(*window);
    nested = {&boxes};
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, nestedBoxesTick);
    boxes.show("outer", MessageIcon::None);
    KillTimer(nullptr, timer);
    EXPECT_TRUE(nested.innerReturned);
    EXPECT_EQ(nested.boxesLeftAfterInner, 1) << "only the inner box closed";
    EXPECT_EQ(nested.step, 4) << "the outer one closed by closeAll, not the safety net";
    EXPECT_LE(nested.ticks, 200);
    EXPECT_TRUE(openBoxes().empty());
    boxes.closeBox(1);  // none open: nothing to close, nothing breaks
}

}  // namespace
}  // namespace tavrio::win32
