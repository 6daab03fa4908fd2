// The main window's controls as the core holds them: each control's kind, texts, position, visibility and
// colours. The core owns this state; the real window renders it and reports the user's edits.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace tavrio {

enum class ControlId : std::uint8_t {
    // In tab order.
    cmdStart,    // START: launches the bot
    txtPhone,    // the phone number a message goes to
    txtMessage,  // the message text
    lblStatus,   // the bot's status ("BOT READY", " Waiting for Session...", "? BOT offline")
    Command1,    // STOP: ends the bot
    Label1,      // the tick count
    QR1,         // the QR code to scan; its text is the code's data
    Label2,      // progress line: the previous tick count, and "start.txt" while that file exists
    Label3,      // the process id of the bot last started
    Label4,      // the linked phone, as the bot's "/phone" page tells it
    Command2,    // Send Massage
    Command3,    // Remove Session: deletes the bot's saved link (offered only when stopped)
    LbNoMass,    // the message counter
    txtPort,     // the bot's port, read afresh at every request
    Label5,      // emptied once the bot is ready
    LBCOMP,      // the company name from .env
    lbkey,       // the key from .env
    Label6,      // the program's revision number
    // The picture array Image1, elements 0 to 2: the sources of the tray icon's picture, never seen.
    Image1_0,  // stopped
    Image1_1,  // ready
    Image1_2,  // shown by nothing
    // The tray popup menu's items, in their order.
    mnuState,      // grey: where the bot stands and since when
    mnuOutage,     // grey: the last outage, shown once there was one
    mnuLog,        // opens the support log
    mnuSeparator,  // a line between them and the four below
    mnustart,      // "&Start": START
    mnuOpen,       // "&Open": shows the window
    mnuStop,       // "Sto&p": STOP
    exitapp,       // "Exit": STOP, then the program ends
    Count
};

constexpr std::size_t kControlCount = static_cast<std::size_t>(ControlId::Count);
constexpr std::size_t indexOf(ControlId id) { return static_cast<std::size_t>(id); }

enum class ControlKind : std::uint8_t { Button, TextBox, Label, QrCode, Picture, MenuItem, MenuSeparator };

// 0x00BBGGRR, as Windows stores colours.
constexpr std::int32_t kDefaultColor = -1;
constexpr std::int32_t rgb(int r, int g, int b) { return r | (g << 8) | (b << 16); }
constexpr std::int32_t kRed = rgb(255, 0, 0);
constexpr std::int32_t kBlue = rgb(0, 0, 255);

struct ControlState {
    ControlKind kind = ControlKind::Label;
    std::string text;  // caption, text, or the QR control's DataString
    bool visible = true;
    bool enabled = true;
    std::int32_t left = 0, top = 0, width = 0, height = 0;  // twips, from the client area's top-left corner
    std::int32_t textColor = kDefaultColor;
    bool bold = false;
};

using ControlSet = std::array<ControlState, kControlCount>;

constexpr std::int32_t kClientWidthTwips = 4200;
constexpr std::int32_t kClientHeightTwips = 6765;

}  // namespace tavrio
