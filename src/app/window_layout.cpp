// The window as it stands before any code runs: kind, design text, position (twips) and visibility.
#include "app/window_layout.h"

namespace tavrio {
namespace {

ControlState make(ControlKind kind, const char* text, std::int32_t left, std::int32_t top, std::int32_t width,
                  std::int32_t height, bool visible = true) {
    ControlState c;
    c.kind = kind;
    c.text = text;
    c.left = left;
    c.top = top;
    c.width = width;
    c.height = height;
    c.visible = visible;
    return c;
}

}  // namespace

ControlSet designLayout() {
    using K = ControlKind;
    ControlSet set;
    auto at = [&set](ControlId id) -> ControlState& { return set[static_cast<std::size_t>(id)]; };
    at(ControlId::cmdStart) = make(K::Button, "START", 60, 60, 1035, 345);
    at(ControlId::txtPhone) = make(K::TextBox, "", 60, 1800, 1575, 435);
    at(ControlId::txtMessage) = make(K::TextBox, "", 60, 2250, 3945, 885);
    at(ControlId::lblStatus) = make(K::Label, ".", 90, 4290, 3855, 285);
    at(ControlId::Command1) = make(K::Button, "STOP", 1110, 60, 1035, 345);
    at(ControlId::Label1) = make(K::Label, "0", 90, 450, 645, 285);
    at(ControlId::QR1) = make(K::QrCode, "", 4620, 420, 4095, 4095);
    at(ControlId::Label2) = make(K::Label, ".", 90, 4620, 3855, 285);
    at(ControlId::Label3) = make(K::Label, "Label3", 2550, 3180, 1455, 255);
    at(ControlId::Label4) = make(K::Label, ".", 90, 4950, 3855, 315);
    at(ControlId::Command2) = make(K::Button, "Send Massage", 90, 3180, 1455, 375);
    at(ControlId::Command3) = make(K::Button, "Remove Session", 90, 5430, 1545, 315, false);
    at(ControlId::LbNoMass) = make(K::Label, "", 2190, 5340, 1755, 315);
    at(ControlId::txtPort) = make(K::TextBox, "3033", 1890, 1890, 1035, 315);
    at(ControlId::Label5) = make(K::Label, ".", 60, 3960, 3885, 255);
    at(ControlId::LBCOMP) = make(K::Label, "....", 30, 6360, 4095, 345);
    at(ControlId::lbkey) = make(K::Label, "Label6", 60, 5970, 2475, 315);
    at(ControlId::Label6) = make(K::Label, "Version : ", 3030, 60, 1095, 255);
    at(ControlId::Image1_0) = make(K::Picture, "", 2280, 1080, 480, 480);
    at(ControlId::Image1_1) = make(K::Picture, "", 3000, 840, 480, 480);
    at(ControlId::Image1_2) = make(K::Picture, "", 1680, 840, 480, 480);
    at(ControlId::mnuState) = make(K::MenuItem, "Stopped", 0, 0, 0, 0);
    at(ControlId::mnuState).enabled = false;
    at(ControlId::mnuOutage) = make(K::MenuItem, "", 0, 0, 0, 0, false);
    at(ControlId::mnuOutage).enabled = false;
    at(ControlId::mnuLog) = make(K::MenuItem, "Open the support log (TavrioPanel.log)", 0, 0, 0, 0);
    at(ControlId::mnuSeparator) = make(K::MenuSeparator, "", 0, 0, 0, 0);
    at(ControlId::mnustart) = make(K::MenuItem, "&Start", 0, 0, 0, 0);
    at(ControlId::mnuOpen) = make(K::MenuItem, "&Open", 0, 0, 0, 0);
    at(ControlId::mnuStop) = make(K::MenuItem, "Sto&p", 0, 0, 0, 0);
    at(ControlId::exitapp) = make(K::MenuItem, "Exit", 0, 0, 0, 0);

    at(ControlId::lblStatus).bold = true;
    at(ControlId::Label4).bold = true;
    at(ControlId::Label4).textColor = kBlue;
    return set;
}

}  // namespace tavrio
