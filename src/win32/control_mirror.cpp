#include "win32/control_mirror.h"

#include "win32/qr_code_control.h"
#include "win32/resource_ids.h"
#include "win32/wide_text.h"

namespace tavrio::win32 {
namespace {

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

bool isMenuKind(ControlKind kind) { return kind == ControlKind::MenuItem || kind == ControlKind::MenuSeparator; }

// An item's text in the menu. The grey lines tell the bot's state in the core's words, where an '&' is a
// character, not a key mark.
std::wstring menuText(ControlId id, const std::string& text) {
    std::wstring caption = widen(text);
    if (id != ControlId::mnuState && id != ControlId::mnuOutage) return caption;
    std::wstring literal;
    for (const wchar_t c : caption) {
        if (c == L'&') literal += L'&';
        literal += c;
    }
    return literal;
}

}  // namespace

std::optional<ControlId> controlOfCommand(int commandId) {
    const int index = commandId - kFirstCommandId;
    if (index < 0 || index >= static_cast<int>(kControlCount)) return std::nullopt;
    return static_cast<ControlId>(index);
}

ControlMirror::ControlMirror(HINSTANCE instance) : instance_(instance) {
    // The manifest declares the program DPI-aware, so this is the screen's real DPI and nothing is stretched.
    if (ScopedGetDc screen(nullptr); screen.get() != nullptr) {
        dpiX_ = GetDeviceCaps(screen.get(), LOGPIXELSX);
        dpiY_ = GetDeviceCaps(screen.get(), LOGPIXELSY);
    }
    normalFont_ = makeFont(dpiY_, false);
    boldFont_ = makeFont(dpiY_, true);
    // The pictures in the size of a large icon, as their controls show them; the tray gets each in the small
    // size the notification area draws, so the shell never scales it.
    for (std::size_t i = 0; i < statusIcons_.size(); ++i) {
        statusIcons_[i] = loadStatusIcon(instance_, i, GetSystemMetrics(SM_CXICON));
        trayIcons_[i] = loadStatusIcon(instance_, i, GetSystemMetrics(SM_CXSMICON));
    }
}

bool ControlMirror::create(HWND parent, const ControlSet& controls) {
    menu_.reset(CreatePopupMenu());
    if (!menu_) return failed();
    // In tab order: the creation order is the order the Tab key walks.
    for (std::size_t i = 0; i < kControlCount; ++i) {
        const auto id = static_cast<ControlId>(i);
        if (!createControl(parent, id, controls[i])) return false;
    }
    // The QR code lies above every other control, so that nothing covers part of a code being scanned. It
    // takes no tab stop, so the Tab order of the others stays their creation order.
    SetWindowPos(child(ControlId::QR1), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return true;
}

bool ControlMirror::createControl(HWND parent, ControlId id, const ControlState& state) {
    const int commandId = commandIdOf(id);
    colors_[indexOf(id)] = state.textColor;
    if (isMenuKind(state.kind)) return !state.visible || insertMenuItem(id, state);

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
        case ControlKind::MenuItem:
        case ControlKind::MenuSeparator: break;
    }
    if (state.visible) style |= WS_VISIBLE;
    if (!state.enabled) style |= WS_DISABLED;

    const RECT at = pixelRect(state);
    const bool textAtCreation = state.kind != ControlKind::Picture && state.kind != ControlKind::QrCode;
    // Named, so that nothing is freed between a failed call and the reading of its error.
    const std::wstring text = textAtCreation ? widen(state.text) : std::wstring();
    HWND control = CreateWindowExW(exStyle, className, text.c_str(), style, at.left, at.top, at.right - at.left,
                                   at.bottom - at.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(commandId)),
                                   instance_, nullptr);
    if (control == nullptr) return failed();
    children_[indexOf(id)] = control;

    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font(state)), FALSE);
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

void ControlMirror::apply(ControlId id, const ControlState& state) {
    if (indexOf(id) >= kControlCount) return;
    const bool recoloured = colors_[indexOf(id)] != state.textColor;
    colors_[indexOf(id)] = state.textColor;
    if (isMenuKind(state.kind)) {
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
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&now), 2);
    if (!EqualRect(&now, &at)) MoveWindow(control, at.left, at.top, at.right - at.left, at.bottom - at.top, TRUE);
    if (reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)) != font(state)) {
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font(state)), TRUE);
    }
    // The colour is drawn from `colors_` when the control paints, the default one too.
    if (recoloured) InvalidateRect(control, nullptr, TRUE);
    if ((IsWindowEnabled(control) != FALSE) != state.enabled) EnableWindow(control, state.enabled);
    if (((GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0) != state.visible) {
        ShowWindow(control, state.visible ? SW_SHOWNA : SW_HIDE);
    }
}

bool ControlMirror::insertMenuItem(ControlId id, const ControlState& state) {
    UINT position = 0;
    for (std::size_t i = 0; i < indexOf(id); ++i) position += inMenu_[i] ? 1 : 0;
    std::wstring caption = menuText(id, state.text);
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_ID | MIIM_FTYPE;
    item.wID = static_cast<UINT>(commandIdOf(id));
    item.fType = MFT_SEPARATOR;
    if (state.kind != ControlKind::MenuSeparator) {
        item.fMask |= MIIM_STRING | MIIM_STATE;
        item.fType = MFT_STRING;
        item.dwTypeData = caption.data();
        item.fState = state.enabled ? MFS_ENABLED : MFS_GRAYED;
    }
    if (!InsertMenuItemW(menu_.get(), position, TRUE, &item)) return failed();
    inMenu_[indexOf(id)] = true;
    return true;
}

void ControlMirror::applyMenuItem(ControlId id, const ControlState& state) {
    const UINT commandId = static_cast<UINT>(commandIdOf(id));
    // A hidden item is no line of the menu at all; shown again, it goes back to its place.
    if (inMenu_[indexOf(id)] != state.visible) {
        if (state.visible) {
            insertMenuItem(id, state);
        } else if (RemoveMenu(menu_.get(), commandId, MF_BYCOMMAND)) {
            inMenu_[indexOf(id)] = false;
        }
        return;
    }
    if (!state.visible || state.kind == ControlKind::MenuSeparator) return;
    std::wstring caption = menuText(id, state.text);
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_STRING;
    item.dwTypeData = caption.data();
    SetMenuItemInfoW(menu_.get(), commandId, FALSE, &item);
    EnableMenuItem(menu_.get(), commandId, MF_BYCOMMAND | (state.enabled ? MF_ENABLED : MF_GRAYED));
}

std::string ControlMirror::text(ControlId id) const { return narrow(windowText(child(id))); }

HBRUSH ControlMirror::paintColors(HWND control, HDC dc, bool edit) const {
    const std::optional<ControlId> id = controlOfCommand(GetDlgCtrlID(control));
    if (!id || child(*id) != control || colors_[indexOf(*id)] == kDefaultColor) return nullptr;
    SetTextColor(dc, static_cast<COLORREF>(colors_[indexOf(*id)]));
    const int background = edit ? COLOR_WINDOW : COLOR_BTNFACE;
    SetBkColor(dc, GetSysColor(background));
    return GetSysColorBrush(background);
}

std::optional<std::uint32_t> ControlMirror::trayIcon(int index) const {
    if (index < 0 || index >= static_cast<int>(trayIcons_.size())) return std::nullopt;
    return toHandle32(trayIcons_[static_cast<std::size_t>(index)].get());
}

RECT ControlMirror::pixelRect(const ControlState& state) const {
    return RECT{xPixels(state.left), yPixels(state.top), xPixels(state.left + state.width),
                yPixels(state.top + state.height)};
}

}  // namespace tavrio::win32
