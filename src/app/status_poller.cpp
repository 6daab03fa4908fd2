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

}  // namespace

void Form1::restartTickCount(std::int32_t first) { tickCount_ = first; }

void Form1::timerTick() {
    Operation operation(*this);
    if (ending_) return;
    // The timer keeps falling due while a tick waits for the bot, a message box or its event pass; those
    // ticks are skipped rather than nested, but one behind the failure box still asks the bot.
    if (tickRunning_) return askBehindTheBox();
    TickInProgress running(tickRunning_);

    if (botEndedOnItsOwn()) return;  // stopped: this tick has nothing left to show
    if (bot_.recoveredFromGiveUp()) {
        note("Keep-running: bot.exe has run for 5 minutes again; the tries every 15 minutes end");
        tray_.balloon(bot_.road() == Road::Ready ? "bot.exe runs again and is ready"
                                                 : "bot.exe runs again and waits for its QR code to be scanned");
    }
    if (!RefreshBotState()) return;
    ownerTick();
    tickCount_ = static_cast<std::int32_t>(static_cast<std::uint32_t>(tickCount_) + 1u);
    setText(ControlId::Label1, std::to_string(tickCount_));
    // A STOP clicked here (or a STOP and a START) leaves the window as it left it: this tick ends.
    if (!waitUndisturbed([this] { s_.window.pumpPendingEvents(); })) return;
    // The panel's own START brings the window up only for the QR code: nobody asked to see it.
    if (tickCount_ == 2 && bot_.startedBy() != Starter::Panel) showWindow();
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
        const StartOutcome outcome = pressStart(Starter::Bot);
        if (outcome == StartOutcome::NotLaunched) outageBegins("could not start");
        if (outcome != StartOutcome::Launched) return false;
    }

    if (markerExists(file::kQrMarker)) {
        // A file that vanished, is locked or still empty is left for the next tick to try again.
        if (const std::optional<std::string> code = ReadFileToText(path(file::kQrMarker))) {
            setText(ControlId::QR1, *code);
            setVisible(ControlId::QR1, true);
            setPosition(ControlId::QR1, 0, 0);
            showWindow();
            tray_.tooltip("QR Pl. Scan");
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
            roadReached(Road::Ready);
            std::string phone;
            if (!waitUndisturbed([&] { phone = WebRequest(botUrl("/phone"), "N"); })) return false;
            const std::string linked = phoneForLog(phone);
            if (!phone.empty() && linked != linkedPhone_) note("Phone linked: " + (linkedPhone_ = linked));
            setText(ControlId::Label4, withoutBracesAndQuotes(std::move(phone)));
            setVisible(ControlId::Label2, false);
            tray_.picture(1);
            tray_.tooltip(kReadyTooltip);
            setText(ControlId::Label5, "");
            return true;
        }
    }
    // No ready bot, or its marker vanished between the two looks: the window and the tray both say waiting.
    setText(ControlId::lblStatus, " Waiting for Session...");
    setColor(ControlId::lblStatus, kRed);
    // The tray must not go on saying "ready" once a tick no longer finds the marker.
    if (const clsSysTray* icon = tray_.icon()) {
        const bool readyPicture = icon->record().hIcon != s_.window.pictureIcon(0).value_or(icon->record().hIcon);
        const bool readyTooltip = icon->TooltipText() == kReadyTooltip;
        if (readyPicture) tray_.picture(0);
        if (readyTooltip) tray_.tooltip(kTrayTooltip);
    }
    if (bot_.road() == Road::Ready) {
        roadReached(Road::Waiting);
        outageBegins("phone unlinked");
    }
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
