#include "platform/win32/panel_window.h"

#include <cmath>
#include <string>

#include "platform/win32/qr_code_control.h"
#include "platform/win32/resource_ids.h"
#include "platform/win32/wide_text.h"

namespace tavrio::win32 {
namespace {

constexpr UINT_PTR kPollTimerId = 1, kTrayRetryTimerId = 2;
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;  // fixed single border, close button only
constexpr DWORD kWindowExStyle = WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;
constexpr int kMiddleButton = 4;
constexpr std::size_t kMostMessagesPerPump = 10000;

std::wstring windowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), length + 1)));
    return text;
}

UniqueFont makeFont(int dpiY, bool bold) {
    // The scalable form of "MS Sans Serif", 8.25 pt at the screen's DPI, so the text grows with the layout. Its
    // pixel height is rounded down, so the text never grows faster than the layout around it: rounded up at 144 DPI
    // it came out 3 % wider and no longer fit its label.
    const int height = -(825 * dpiY / 7200);
    return UniqueFont(CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                  OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                                  L"Microsoft Sans Serif"));
}

// Picture `index` of the status pictures, at `side` pixels: the resource's image of that size, or its
// nearest scaled by Windows.
UniqueIcon loadStatusIcon(HINSTANCE instance, std::size_t index, int side) {
    return UniqueIcon(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(TAVRIO_IDI_STATUS_FIRST + index),
                                                    IMAGE_ICON, side, side, LR_DEFAULTCOLOR)));
}

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

bool isControlIndex(int index) { return index >= 0 && index < static_cast<int>(kControlCount); }

}  // namespace

PanelWindow::PanelWindow(HINSTANCE instance) : instance_(instance) {}

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
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    const bool registered =
        GetClassInfoExW(instance_, kPanelWindowClassName, &existing) != FALSE || RegisterClassExW(&windowClass) != 0;
    if (!registered || !registerQrCodeClass(instance_)) return false;

    {
        // The manifest declares the program DPI-aware, so this is the screen's real DPI and nothing is stretched.
        ScopedGetDc screen(nullptr);
        if (screen.get() != nullptr) {
            dpiX_ = GetDeviceCaps(screen.get(), LOGPIXELSX);
            dpiY_ = GetDeviceCaps(screen.get(), LOGPIXELSY);
        }
    }
    RECT frame{0, 0, xPixels(kClientWidthTwips), yPixels(kClientHeightTwips)};
    AdjustWindowRectEx(&frame, kWindowStyle, FALSE, kWindowExStyle);
    if (CreateWindowExW(kWindowExStyle, kPanelWindowClassName, L"", kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                        frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance_,
                        this) == nullptr) {
        return false;
    }
    // Sent to every top-level window when the shell's notification area is (re)created.
    taskbarCreatedMessage_ = RegisterWindowMessageW(L"TaskbarCreated");

    normalFont_ = makeFont(dpiY_, false);
    boldFont_ = makeFont(dpiY_, true);
    // The pictures in the size of a large icon, as their controls show them; the tray gets each in the small
    // size the notification area draws, so the shell never scales it.
    for (std::size_t i = 0; i < statusIcons_.size(); ++i) {
        statusIcons_[i] = loadStatusIcon(instance_, i, GetSystemMetrics(SM_CXICON));
        trayIcons_[i] = loadStatusIcon(instance_, i, GetSystemMetrics(SM_CXSMICON));
    }
    return true;
}

bool PanelWindow::attach(Form1& form) {
    popupMenu_.reset(CreatePopupMenu());
    if (!popupMenu_) return false;
    // The core's control state is the one truth from here on: the window renders it and reports edits.
    form_ = &form;
    // In tab order: the creation order is the order the Tab key walks.
    for (std::size_t i = 0; i < kControlCount; ++i) {
        const auto id = static_cast<ControlId>(i);
        if (!createControl(id, form.control(id))) {
            form_ = nullptr;
            return false;
        }
    }
    // The QR code lies above every other control, so that nothing covers part of a code being scanned. It
    // takes no tab stop, so the Tab order of the others stays their creation order.
    SetWindowPos(child(ControlId::QR1), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return true;
}

bool PanelWindow::createControl(ControlId id, const ControlState& state) {
    const int commandId = commandIdOf(id);
    if (state.kind == ControlKind::MenuItem) {
        const UINT flags = MF_STRING | (state.enabled ? MF_ENABLED : MF_GRAYED);
        return AppendMenuW(popupMenu_.get(), flags, static_cast<UINT_PTR>(commandId), widen(state.text).c_str());
    }

    const wchar_t* className = L"STATIC";
    // Controls overlap (the QR code covers the top of the window when shown), so each paints only its own part.
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    DWORD exStyle = 0;
    switch (state.kind) {
        case ControlKind::Button:
            className = L"BUTTON";
            style |= WS_TABSTOP | BS_PUSHBUTTON;
            break;
        case ControlKind::TextBox:
            className = L"EDIT";
            style |= WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL;
            exStyle |= WS_EX_CLIENTEDGE;
            break;
        case ControlKind::Label:
            // The texts come from files and the bot; an '&' in them is a character, not a key mark.
            style |= SS_LEFT | SS_NOPREFIX;
            break;
        case ControlKind::QrCode: className = kQrCodeClassName; break;
        case ControlKind::Picture: style |= SS_ICON; break;
        case ControlKind::MenuItem: break;
    }
    if (state.visible) style |= WS_VISIBLE;
    if (!state.enabled) style |= WS_DISABLED;

    const RECT at = pixelRect(state);
    const bool textAtCreation = state.kind != ControlKind::Picture && state.kind != ControlKind::QrCode;
    HWND control = CreateWindowExW(exStyle, className, textAtCreation ? widen(state.text).c_str() : L"", style, at.left,
                                   at.top, at.right - at.left, at.bottom - at.top, window_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(commandId)), instance_, nullptr);
    if (control == nullptr) return false;
    children_[static_cast<std::size_t>(id)] = control;

    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(state.bold ? boldFont_.get() : normalFont_.get()),
                 FALSE);
    if (state.kind == ControlKind::TextBox) SendMessageW(control, EM_SETLIMITTEXT, 0, 0);  // no 32K limit
    if (state.kind == ControlKind::QrCode && !state.text.empty()) SetWindowTextW(control, widen(state.text).c_str());
    if (state.kind == ControlKind::Picture) {
        const int index = static_cast<int>(id) - static_cast<int>(ControlId::Image1_0);
        if (index >= 0 && index < static_cast<int>(statusIcons_.size())) {
            SendMessageW(control, STM_SETICON, reinterpret_cast<WPARAM>(statusIcons_[index].get()), 0);
        }
    }
    return true;
}

void PanelWindow::applyControl(ControlId id, const ControlState& state) {
    if (static_cast<std::size_t>(id) >= kControlCount) return;
    if (state.kind == ControlKind::MenuItem) {
        applyMenuItem(id, state);
        return;
    }
    HWND control = child(id);
    if (control == nullptr) return;

    // Each property is compared with what the real control holds, so only what differs is touched.
    if (state.kind != ControlKind::Picture) {
        // The control's own text is the one to compare with: the user may have typed.
        const std::wstring text = widen(state.text);
        if (windowText(control) != text) SetWindowTextW(control, text.c_str());
    }
    const RECT at = pixelRect(state);
    RECT now{};
    GetWindowRect(control, &now);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&now), 2);
    if (!EqualRect(&now, &at)) MoveWindow(control, at.left, at.top, at.right - at.left, at.bottom - at.top, TRUE);
    const HFONT font = state.bold ? boldFont_.get() : normalFont_.get();
    if (reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)) != font) {
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    // The colour is drawn from the core's state when the control paints.
    if (state.textColor != kDefaultColor) InvalidateRect(control, nullptr, TRUE);
    if ((IsWindowEnabled(control) != FALSE) != state.enabled) EnableWindow(control, state.enabled);
    if (((GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0) != state.visible) {
        ShowWindow(control, state.visible ? SW_SHOWNA : SW_HIDE);
    }
}

void PanelWindow::applyMenuItem(ControlId id, const ControlState& state) {
    const UINT commandId = static_cast<UINT>(commandIdOf(id));
    std::wstring caption = widen(state.text);
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_STRING;
    item.dwTypeData = caption.data();
    SetMenuItemInfoW(popupMenu_.get(), commandId, FALSE, &item);
    EnableMenuItem(popupMenu_.get(), commandId, MF_BYCOMMAND | (state.enabled ? MF_ENABLED : MF_GRAYED));
}

void PanelWindow::setTitle(const std::string& title) { SetWindowTextW(window_, widen(title).c_str()); }

void PanelWindow::setWindowVisible(bool visible) { ShowWindow(window_, visible ? SW_SHOW : SW_HIDE); }

bool PanelWindow::isWindowVisible() { return IsWindowVisible(window_) != FALSE; }

void PanelWindow::setTimerInterval(std::uint32_t milliseconds) {
    setOrKillTimer(window_, kPollTimerId, milliseconds);
}

void PanelWindow::setTrayRetryTimer(std::uint32_t milliseconds) {
    setOrKillTimer(window_, kTrayRetryTimerId, milliseconds);
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
    if (!popupMenu_ || form_ == nullptr) return;
    POINT at{};
    GetCursorPos(&at);
    // Without this the menu stays open when the user clicks somewhere else (the window is usually hidden).
    SetForegroundWindow(window_);
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenu(popupMenu_.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, window_, nullptr));
    // Gives the window a message after the menu, so that the next menu opens and closes properly.
    PostMessageW(window_, WM_NULL, 0, 0);
    const int index = static_cast<int>(chosen) - kFirstCommandId;
    // The item's action runs before the menu call returns to the tray icon, as the core relies on.
    if (chosen != 0 && isControlIndex(index)) form_->click(static_cast<ControlId>(index));
}

std::uint32_t PanelWindow::windowHandle() { return toHandle32(window_); }

std::optional<std::uint32_t> PanelWindow::pictureIcon(int index) {
    if (index < 0 || index >= static_cast<int>(statusIcons_.size())) return std::nullopt;
    return toHandle32(trayIcons_[static_cast<std::size_t>(index)].get());
}

void PanelWindow::endProgram() { ExitProcess(0); }

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

RECT PanelWindow::pixelRect(const ControlState& state) const {
    return RECT{xPixels(state.left), yPixels(state.top), xPixels(state.left + state.width),
                yPixels(state.top + state.height)};
}

int PanelWindow::xPixels(std::int32_t twips) const { return static_cast<int>(std::lround(twips * dpiX_ / 1440.0)); }
int PanelWindow::yPixels(std::int32_t twips) const { return static_cast<int>(std::lround(twips * dpiY_ / 1440.0)); }

const ControlState* PanelWindow::mirrored(HWND control) const {
    const int index = GetDlgCtrlID(control) - kFirstCommandId;
    if (form_ == nullptr || !isControlIndex(index) || child(static_cast<ControlId>(index)) != control) return nullptr;
    return &form_->control(static_cast<ControlId>(index));
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
    if (taskbarCreatedMessage_ != 0 && message == taskbarCreatedMessage_) {
        if (form_ != nullptr) form_->taskbarCreated();
        return 0;
    }
    switch (message) {
        case WM_COMMAND: return onCommand(wParam, lParam);
        case WM_TIMER:
            if (form_ == nullptr) return 0;
            if (wParam == kPollTimerId) form_->timerTick();
            if (wParam == kTrayRetryTimerId) form_->trayRetryTick();
            return 0;
        // The tray icon's notifications arrive here too: its callback message is WM_MOUSEMOVE, with the
        // notification code where the x position would be.
        case WM_MOUSEMOVE:
            if (isTrayNotification(lParam)) {
                if (form_ != nullptr) form_->trayNotification(buttonsHeld(wParam), LOWORD(lParam));
            } else {
                onMouse(buttonsHeld(wParam), lParam, false);
            }
            return 0;
        case WM_LBUTTONDOWN: onMouse(kLeftButton, lParam, true); return 0;
        case WM_RBUTTONDOWN: onMouse(kRightButton, lParam, true); return 0;
        case WM_MBUTTONDOWN: onMouse(kMiddleButton, lParam, true); return 0;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
            if (const ControlState* state = mirrored(reinterpret_cast<HWND>(lParam));
                state != nullptr && state->textColor != kDefaultColor) {
                return onControlColor(reinterpret_cast<HDC>(wParam), *state, message == WM_CTLCOLOREDIT);
            }
            break;
        // The close button, the window menu and Alt+F4 arrive as SC_CLOSE; a bare WM_CLOSE comes from outside
        // (the task manager's End task, taskkill without /f).
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) != SC_CLOSE) break;
            close(CloseReason::User);
            return 0;
        case WM_CLOSE: close(CloseReason::Outside); return 0;
        case WM_QUERYENDSESSION: return TRUE;
        case WM_ENDSESSION:
            if (wParam != FALSE) endSession();
            return 0;
        case WM_DESTROY:
            KillTimer(window_, kPollTimerId);
            KillTimer(window_, kTrayRetryTimerId);
            PostQuitMessage(0);
            return 0;
        default: break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

LRESULT PanelWindow::onCommand(WPARAM wParam, LPARAM) {
    const int index = static_cast<int>(LOWORD(wParam)) - kFirstCommandId;
    if (form_ == nullptr || !isControlIndex(index)) return 0;
    const auto id = static_cast<ControlId>(index);
    const ControlState& state = form_->control(id);
    const WORD code = HIWORD(wParam);
    if (code == EN_CHANGE && state.kind == ControlKind::TextBox) {
        // Our own SetWindowText leaves the text equal to the core's: only the user's typing differs.
        std::string typed = narrow(windowText(child(id)));
        if (typed != state.text) form_->textEdited(id, std::move(typed));
    } else if (code == BN_CLICKED && (state.kind == ControlKind::Button || state.kind == ControlKind::MenuItem)) {
        // BN_CLICKED and a menu item's command share the code 0.
        form_->click(id);
    }
    return 0;
}

LRESULT PanelWindow::onControlColor(HDC dc, const ControlState& state, bool edit) {
    SetTextColor(dc, static_cast<COLORREF>(state.textColor));
    const int background = edit ? COLOR_WINDOW : COLOR_BTNFACE;
    SetBkColor(dc, GetSysColor(background));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(background));
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
    if (form_ == nullptr) return;
    const int x = static_cast<short>(LOWORD(lParam));
    const auto xTwips = static_cast<std::int32_t>(std::lround(x * 1440.0 / dpiX_));
    if (press) {
        form_->mouseDown(button, xTwips);
    } else {
        form_->mouseMove(button, xTwips);
    }
}

void PanelWindow::close(CloseReason reason) {
    if (form_ == nullptr) {
        // No core yet, so nothing to stop.
        if (reason == CloseReason::User)
            ShowWindow(window_, SW_HIDE);
        else
            DestroyWindow(window_);
        return;
    }
    if (form_->closeRequest(reason) == CloseOutcome::Hidden) return;
    form_->unload();
    form_->releaseTray();
    DestroyWindow(window_);
}

void PanelWindow::endSession() {
    // Windows may end the process as soon as this message returns, so everything happens here.
    if (form_ != nullptr) {
        form_->closeRequest(CloseReason::System);  // a close for the system's reason always proceeds
        form_->unload();
        form_->releaseTray();
    }
    ExitProcess(0);
}

}  // namespace tavrio::win32
