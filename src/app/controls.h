// The main window's controls as the core holds them: each control's kind, texts, position, visibility and
// colours. The real window mirrors this state; the unit tests read it directly.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace tavrio {

enum class ControlId : std::uint8_t {
    // In tab order.
    cmdStart,
    txtPhone,
    txtMessage,
    lblStatus,
    Command1,
    Label1,
    QR1,
    Label2,
    Label3,
    Label4,
    Command2,
    Command3,
    LbNoMass,
    txtPort,
    Label5,
    LBCOMP,
    lbkey,
    Label6,
    // The picture array Image1, elements 0 to 2: the sources of the tray icon's picture.
    Image1_0,
    Image1_1,
    Image1_2,
    // The tray popup menu's items.
    mnustart,
    mnuOpen,
    mnuStop,
    exitapp,
    Count
};

constexpr std::size_t kControlCount = static_cast<std::size_t>(ControlId::Count);

enum class ControlKind : std::uint8_t { Button, TextBox, Label, QrCode, Picture, MenuItem };

// 0x00BBGGRR, as Windows stores colours.
constexpr std::int32_t kDefaultColor = -1;
constexpr std::int32_t rgb(int r, int g, int b) { return r | (g << 8) | (b << 16); }
constexpr std::int32_t kRed = rgb(255, 0, 0);
constexpr std::int32_t kBlue = rgb(0, 0, 255);

struct ControlState {
    ControlKind kind = ControlKind::Label;
    std::string name;  // the form name, e.g. "cmdStart"
    std::string text;  // caption, text, or the QR control's DataString
    bool visible = true;
    bool enabled = true;
    std::int32_t left = 0, top = 0, width = 0, height = 0;  // twips, from the client area's top-left corner
    std::int32_t textColor = kDefaultColor;
    bool bold = false;
};

using ControlSet = std::array<ControlState, kControlCount>;

// The window and its controls as they stand before any code runs.
ControlSet designLayout();

constexpr std::int32_t kClientWidthTwips = 4200;
constexpr std::int32_t kClientHeightTwips = 6765;

}  // namespace tavrio
