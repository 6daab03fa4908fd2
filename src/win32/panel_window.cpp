#include "win32/panel_window.h"

#include "win32/qr_code_control.h"
#include "win32/resource_ids.h"
#include "win32/wide_text.h"

namespace tavrio::win32 {
namespace {

constexpr UINT_PTR kPollTimerId = 1, kTrayRetryTimerId = 2, kBotLifeTimerId = 3;
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;  // fixed single border, close button only
constexpr DWORD kWindowExStyle = WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;
constexpr int kMiddleButton = 4;
constexpr std::size_t kMostMessagesPerPump = 10000;

int buttonsHeld(WPARAM keys) {
    int button = 0;
    if (keys & MK_LBUTTON) button |= kLeftButton;
    if (keys & MK_RBUTTON) button |= kRightButton;
    if (keys & MK_MBUTTON) button |= kMiddleButton;
    return button;
}

void setOrKillTimer(HWND window, UINT_PTR id, std::uint32_t milliseconds) {
    if (milliseconds == 0) {
        KillTimer(window, id);
    } else {
        SetTimer(window, id, milliseconds, nullptr);
    }
}

}  // namespace

PanelWindow::PanelWindow(HINSTANCE instance) : instance_(instance), mirror_(instance) {}

PanelWindow::~PanelWindow() {
    if (window_ != nullptr) DestroyWindow(window_);
}

bool PanelWindow::create() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance_;
    windowClass.hIcon =
        static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(TAVRIO_IDI_PANEL), IMAGE_ICON,
                                      GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), LR_SHARED));
    windowClass.hIconSm =
        static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(TAVRIO_IDI_PANEL), IMAGE_ICON,
                                      GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = kPanelWindowClassName;
    const bool registered = RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    if (!registered || !registerQrCodeClass(instance_)) return failed();

    RECT frame{0, 0, mirror_.xPixels(kClientWidthTwips), mirror_.yPixels(kClientHeightTwips)};
    AdjustWindowRectEx(&frame, kWindowStyle, FALSE, kWindowExStyle);
    if (CreateWindowExW(kWindowExStyle, kPanelWindowClassName, L"", kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                        frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance_,
                        this) == nullptr) {
        return failed();
    }
    // Sent to every top-level window when the shell's notification area is (re)created.
    taskbarCreatedMessage_ = RegisterWindowMessageW(L"TaskbarCreated");
    return true;
}

bool PanelWindow::attach(Form1& form) {
    // The core's control state is the one truth from here on: the window renders it and reports edits.
    form_ = &form;
    if (mirror_.create(window_, form.controls())) return true;
    form_ = nullptr;
    failure_ = mirror_.failure();
    return false;
}

void PanelWindow::setTitle(const std::string& title) { SetWindowTextW(window_, widen(title).c_str()); }

void PanelWindow::setWindowVisible(bool visible) { ShowWindow(window_, visible ? SW_SHOW : SW_HIDE); }

void PanelWindow::setTimerInterval(std::uint32_t milliseconds) { setOrKillTimer(window_, kPollTimerId, milliseconds); }

void PanelWindow::setTrayRetryTimer(std::uint32_t milliseconds) {
    setOrKillTimer(window_, kTrayRetryTimerId, milliseconds);
}

void PanelWindow::setBotLifeTimer(std::uint32_t milliseconds) {
    setOrKillTimer(window_, kBotLifeTimerId, milliseconds);
}

void PanelWindow::pumpPendingEvents() {
    MSG message{};
    // Bounded, so that a message that keeps posting itself cannot hold a tick here for ever.
    for (std::size_t handled = 0; handled < kMostMessagesPerPump; ++handled) {
        if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) return;
        if (message.message == WM_QUIT) {
            // Not ours to take: the message loop must still see it.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        dispatch(message);
    }
}

void PanelWindow::showPopupMenu() {
    if (form_ == nullptr) return;
    POINT at{};
    GetCursorPos(&at);
    // Without this the menu stays open when the user clicks somewhere else (the window is usually hidden).
    SetForegroundWindow(window_);
    ++popupsOpen_;
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenu(mirror_.menu(), TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, window_, nullptr));
    --popupsOpen_;
    // Gives the window a message after the menu, so that the next menu opens and closes properly.
    PostMessageW(window_, WM_NULL, 0, 0);
    // The item's action runs before the menu call returns to the tray icon, as the core relies on. A close that
    // came while the menu was open may have destroyed the window.
    const std::optional<ControlId> item = controlOfCommand(static_cast<int>(chosen));
    if (item && form_ != nullptr) form_->click(*item);
}

void PanelWindow::closePopupMenu() {
    // TrackPopupMenu's loop keeps running, and the program with it, until the menu closes; EndMenu makes it return
    // with no choice. Only our own menu: any other menu of the thread is none of the program's end.
    if (popupsOpen_ > 0) EndMenu();
}

std::uint32_t PanelWindow::windowHandle() { return toHandle32(window_); }

void PanelWindow::end(WindowEnd how) {
    if (how == WindowEnd::EndProcess) ExitProcess(0);
    DestroyWindow(window_);
}

int PanelWindow::runMessageLoop() {
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) dispatch(message);
    return static_cast<int>(message.wParam);
}

void PanelWindow::dispatch(MSG& message) {
    // Tab between the controls as in a dialog.
    if (window_ != nullptr && IsDialogMessageW(window_, &message)) return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

LRESULT CALLBACK PanelWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<PanelWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<PanelWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->window_ = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->handleMessage(message, wParam, lParam);
}

LRESULT PanelWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // Before the attach, and from WM_DESTROY on, nothing reaches the core.
    if (form_ == nullptr) return DefWindowProcW(window_, message, wParam, lParam);
    if (taskbarCreatedMessage_ != 0 && message == taskbarCreatedMessage_) {
        form_->taskbarCreated();
        return 0;
    }
    switch (message) {
        case WM_COMMAND: return onCommand(wParam, lParam);
        case WM_TIMER:
            if (wParam == kPollTimerId) form_->timerTick();
            if (wParam == kTrayRetryTimerId) form_->trayRetryTick();
            if (wParam == kBotLifeTimerId) form_->botLifeTick();
            return 0;
        // The tray icon's notifications arrive here too: its callback message is WM_MOUSEMOVE, with the
        // notification code where the x position would be.
        case WM_MOUSEMOVE:
            if (isTrayNotification(lParam)) {
                form_->trayNotification(buttonsHeld(wParam), LOWORD(lParam));
            } else {
                onMouse(buttonsHeld(wParam), lParam, false);
            }
            return 0;
        case WM_LBUTTONDOWN: onMouse(kLeftButton, lParam, true); return 0;
        case WM_RBUTTONDOWN: onMouse(kRightButton, lParam, true); return 0;
        case WM_MBUTTONDOWN: onMouse(kMiddleButton, lParam, true); return 0;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
            if (HBRUSH brush = mirror_.paintColors(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam),
                                                   message == WM_CTLCOLOREDIT)) {
                return reinterpret_cast<LRESULT>(brush);
            }
            break;
        // The close button, the window menu and Alt+F4 arrive as SC_CLOSE; a bare WM_CLOSE comes from outside
        // (the task manager's End task, taskkill without /f).
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) != SC_CLOSE) break;
            form_->end(EndReason::UserClose);
            return 0;
        case WM_CLOSE: form_->end(EndReason::OutsideClose); return 0;
        case WM_QUERYENDSESSION: return TRUE;
        // TRUE grants whatever a power event asks; only the switch between mains and battery concerns the core.
        case WM_POWERBROADCAST:
            if (wParam == PBT_APMPOWERSTATUSCHANGE) form_->powerChanged();
            return TRUE;
        // Windows may end the process as soon as this returns, so the program ends in it.
        case WM_ENDSESSION:
            if (wParam != FALSE) form_->end(EndReason::SessionEnd);
            return 0;
        case WM_DESTROY:
            KillTimer(window_, kPollTimerId);
            KillTimer(window_, kTrayRetryTimerId);
            KillTimer(window_, kBotLifeTimerId);
            // Nothing reaches the core, nor a destroyed control, from here on.
            form_ = nullptr;
            mirror_.forget();
            PostQuitMessage(0);
            return 0;
        default: break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

LRESULT PanelWindow::onCommand(WPARAM wParam, LPARAM) {
    const std::optional<ControlId> id = controlOfCommand(LOWORD(wParam));
    if (!id) return 0;
    const ControlState& state = form_->control(*id);
    const WORD code = HIWORD(wParam);
    if (code == EN_CHANGE && state.kind == ControlKind::TextBox) {
        // Our own SetWindowText leaves the text equal to the core's: only the user's typing differs.
        std::string typed = mirror_.text(*id);
        if (typed != state.text) form_->textEdited(*id, std::move(typed));
    } else if (code == BN_CLICKED && (state.kind == ControlKind::Button || state.kind == ControlKind::MenuItem)) {
        // BN_CLICKED and a menu item's command share the code 0.
        form_->click(*id);
    }
    return 0;
}

bool PanelWindow::isTrayNotification(LPARAM lParam) const {
    // The shell's callback carries a message number (WM_MOUSEFIRST or above) as x and no y. From about 176 DPI on
    // the client area is that wide, so a real move is told apart by being where the pointer was.
    if (HIWORD(lParam) != 0 || LOWORD(lParam) < WM_MOUSEFIRST) return false;
    const DWORD at = GetMessagePos();
    POINT pointer{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    ScreenToClient(window_, &pointer);
    return pointer.x != LOWORD(lParam) || pointer.y != 0;
}

void PanelWindow::onMouse(int button, LPARAM lParam, bool press) {
    const std::int32_t xTwips = mirror_.xTwips(static_cast<short>(LOWORD(lParam)));
    if (press) {
        form_->mouseDown(button, xTwips);
    } else {
        form_->mouseMove(button, xTwips);
    }
}

}  // namespace tavrio::win32
