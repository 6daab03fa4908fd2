// The core's controls as real ones: each control's child window, or item of the tray menu, made from its state
// and kept equal to it: text, place and size (twips at the screen's DPI), font, colour, enabled and visible. The
// menu holds its visible items in ControlId order. The status pictures' icons live here too, in their controls'
// size and in the tray's.
#pragma once

#include <array>
#include <cmath>
#include <optional>
#include <string>

#include "platform/controls.h"
#include "win32/win32.h"

namespace tavrio::win32 {

// Each control's child-window id, and each menu item's command id, is this base plus its ControlId.
inline constexpr int kFirstCommandId = 1000;
constexpr int commandIdOf(ControlId id) { return kFirstCommandId + static_cast<int>(id); }
// The control with that child-window or command id; nothing for any other id.
std::optional<ControlId> controlOfCommand(int commandId);

class ControlMirror {
public:
    // The screen's DPI, and the fonts and icons at it.
    explicit ControlMirror(HINSTANCE instance);

    // Every control of `controls` as a child of `parent`, in tab order, and the tray menu's items. False when one
    // could not be made; `failure()` then holds the system's error code, taken as that call returned.
    bool create(HWND parent, const ControlSet& controls);
    DWORD failure() const { return failure_; }
    void apply(ControlId id, const ControlState& state);
    // The parent is destroyed, and the children with it.
    void forget() { children_ = {}; }

    HWND child(ControlId id) const { return children_[indexOf(id)]; }
    HMENU menu() const { return menu_.get(); }
    // The real control's text, which the user may have typed.
    std::string text(ControlId id) const;
    // WM_CTLCOLOR*: sets the colour the core gave `control` into `dc` and returns the brush; null for a control
    // the core gave none.
    HBRUSH paintColors(HWND control, HDC dc, bool edit) const;
    std::optional<std::uint32_t> trayIcon(int index) const;

    int xPixels(std::int32_t twips) const { return static_cast<int>(std::lround(twips * dpiX_ / 1440.0)); }
    int yPixels(std::int32_t twips) const { return static_cast<int>(std::lround(twips * dpiY_ / 1440.0)); }
    std::int32_t xTwips(int pixels) const { return static_cast<std::int32_t>(std::lround(pixels * 1440.0 / dpiX_)); }

private:
    bool createControl(HWND parent, ControlId id, const ControlState& state);
    // Into the menu at its place: after the items of lower ControlId that are in it.
    bool insertMenuItem(ControlId id, const ControlState& state);
    void applyMenuItem(ControlId id, const ControlState& state);
    RECT pixelRect(const ControlState& state) const;
    HFONT font(const ControlState& state) const { return state.bold ? boldFont_.get() : normalFont_.get(); }
    bool failed() {
        failure_ = GetLastError();
        return false;
    }

    HINSTANCE instance_;
    int dpiX_ = 96, dpiY_ = 96;
    DWORD failure_ = 0;
    std::array<HWND, kControlCount> children_{};
    std::array<std::int32_t, kControlCount> colors_{};  // as last applied
    UniqueMenu menu_;
    std::array<bool, kControlCount> inMenu_{};
    UniqueFont normalFont_, boldFont_;
    std::array<UniqueIcon, 3> statusIcons_, trayIcons_;
};

}  // namespace tavrio::win32
