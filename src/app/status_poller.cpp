// The once-a-second poller: turns the bot's marker files and its answers into the window's state.
#include "app/counter_file.h"
#include "app/main_window.h"
#include "text/utf8.h"

namespace tavrio {
namespace {

std::string withoutBracesAndQuotes(std::string text) {
    return removeAll(removeAll(removeAll(std::move(text), "{"), "}"), "\"");
}

// Marks a tick as running for as long as it lasts, whichever way it ends.
class TickInProgress {
public:
    explicit TickInProgress(bool& running) : running_(running) { running_ = true; }
    ~TickInProgress() { running_ = false; }
    TickInProgress(const TickInProgress&) = delete;
    TickInProgress& operator=(const TickInProgress&) = delete;

private:
    bool& running_;
};

constexpr const char* kReadyTooltip = "Bot Ready online";

// The tray must not go on saying "ready" once a tick no longer finds the marker: the waiting picture, and the
// icon's first tooltip in place of the ready one.
void stopSayingReady(clsSysTray* tray, WindowHost& window) {
    if (!tray) return;
    const std::optional<std::uint32_t> waiting = window.pictureIcon(0);
    if (waiting && tray->record().hIcon != *waiting) tray->SetIcon(window, 0);
    if (tray->TooltipText() == kReadyTooltip) tray->TooltipText(kTrayTooltip);
}

}  // namespace

void Form1::timerTick() {
    // The timer keeps falling due while a tick waits for the bot, a message box or its event pass; those
    // ticks are skipped rather than nested.
    if (ending_ || botHangs() || tickRunning_) return;
    TickInProgress running(tickRunning_);

    if (botEndedOnItsOwn()) return;  // stopped: this tick has nothing left to show
    if (!RefreshBotState()) return;
    tickCount_ = static_cast<std::int32_t>(static_cast<std::uint32_t>(tickCount_) + 1u);
    setText(ControlId::Label1, std::to_string(tickCount_));
    // A STOP clicked here (or a STOP and a START) leaves the window as it left it: this tick ends.
    if (!waitUndisturbed([this] { s_.window.pumpPendingEvents(); })) return;
    if (tickCount_ == 2) showWindow();
    if (tickCount_ % 120 == 0) refreshPhoneLineWithTick();
    if (tickCount_ % 30 == 0 || tickCount_ == 10) refreshMessageCounter();
}

bool Form1::RefreshBotState() {
    setText(ControlId::Label2, signedField(tickCount_) + (markerExists(file::kStartMarker) ? "start.txt" : ""));

    if (markerExists(file::kRestartMarker)) {
        note("The bot asked for a restart: STOP, then START");
        pressStop();
        s_.files.deleteFile(path(file::kRestartMarker));
        s_.clock.sleepMs(5000);
        // A START that could not launch the bot leaves the window stopped: nothing is left to show.
        if (!pressStart() || timerInterval_ == 0) return false;
    }

    if (markerExists(file::kQrMarker)) {
        // A file that vanished, is locked or still empty is left for the next tick to try again.
        if (const std::optional<std::string> code = ReadFileToText(path(file::kQrMarker))) {
            setText(ControlId::QR1, *code);
            setVisible(ControlId::QR1, true);
            setPosition(ControlId::QR1, 0, 0);
            showWindow();
            if (clsSysTray* tray = tray_.icon()) tray->TooltipText("QR Pl. Scan");
            roadReached(Road::Qr);
            s_.files.deleteFile(path(file::kQrMarker));
        }
    }

    if (markerExists(file::kReadyMarker)) {
        setText(ControlId::lblStatus, "BOT READY");
        setColor(ControlId::lblStatus, kBlue);
        setVisible(ControlId::QR1, false);
        deleteIfExists(file::kQrMarker);
        if (markerExists(file::kReadyMarker)) {
            std::string phone;
            if (!waitUndisturbed([&] { phone = WebRequest(botUrl("/phone"), "N"); })) return false;
            const std::string linked = phoneForLog(phone);
            if (!phone.empty() && linked != linkedPhone_) note("Phone linked: " + (linkedPhone_ = linked));
            setText(ControlId::Label4, withoutBracesAndQuotes(std::move(phone)));
            setVisible(ControlId::Label2, false);
            if (clsSysTray* tray = tray_.icon()) {
                tray->SetIcon(s_.window, 1);
                tray->TooltipText(kReadyTooltip);
            }
            setText(ControlId::Label5, "");
            roadReached(Road::Ready);
            return true;
        }
    }
    // No ready bot, or its marker vanished between the two looks: the window and the tray both say waiting.
    setText(ControlId::lblStatus, " Waiting for Session...");
    setColor(ControlId::lblStatus, kRed);
    stopSayingReady(tray_.icon(), s_.window);
    if (road_ == Road::Ready) roadReached(Road::Waiting);
    return true;
}

void Form1::refreshPhoneLineWithTick() {
    const std::string answer = WebRequest(botUrl("/phone"), "Y");
    setText(ControlId::Label4, withoutBracesAndQuotes(answer + "       (" + signedField(tickCount_) + ")"));
}

void Form1::refreshMessageCounter() {
    const std::string counterPath = path(file::kMessageCounter);
    if (!s_.files.isPlainFile(counterPath)) {
        setText(ControlId::LbNoMass, "No of Massage : 0");
        return;
    }
    const LastLine last = readLastLine(s_.files, counterPath);
    // Unreadable or empty: the caption stays as it was.
    if (last.readable && last.hasLine)
        setText(ControlId::LbNoMass, "No of Massage : " + s_.codec.ansiToUtf8(last.line));
}

}  // namespace tavrio
