#include "fakes.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "text/answer_text.h"

namespace tavrio::testing {

Services FakePlatform::services(int revision) {
    return Services{*this, *this, *this, *this, *this, *this, *this, *this, *this, *this, kFolder, revision};
}

void FakePlatform::point() {
    ++points;
    if (auto hook = onPoint) hook(points);  // a copy: the hook may clear itself
}

std::vector<std::string> FakePlatform::logMatching(std::initializer_list<std::string> prefixes) const {
    std::vector<std::string> out;
    for (const auto& line : log)
        if (std::any_of(prefixes.begin(), prefixes.end(), [&](const auto& p) { return line.rfind(p, 0) == 0; }))
            out.push_back(line);
    return out;
}

bool FakePlatform::isPlainFile(const std::string& path) {
    if (onLook) onLook(path);
    return files.count(path) && !hidden.count(path);
}

bool FakePlatform::deleteFile(const std::string& path) {
    log.push_back("delete " + path);
    if (undeletable.count(path) || !files.count(path)) return false;
    files.erase(path);
    return true;
}

std::optional<std::uint64_t> FakePlatform::fileSize(const std::string& path) {
    ++sizesAsked;
    if (!files.count(path) || locked.count(path)) return std::nullopt;
    return files[path].size();
}

std::optional<std::string> FakePlatform::readBytes(const std::string& path, std::uint64_t offset,
                                                   std::uint64_t length) {
    if (!files.count(path) || locked.count(path)) return std::nullopt;
    const std::string& content = files[path];
    if (offset > content.size()) return std::string();
    std::string out = content.substr(offset, length);
    bytesRead += out.size();
    return out;
}

bool FakePlatform::appendBytes(const std::string& path, std::string_view bytes) {
    if (unwritable.count(path) || readOnly.count(path)) return false;
    files[path].append(bytes);
    return true;
}

bool FakePlatform::renameReplacing(const std::string& from, const std::string& to) {
    if (unwritable.count(from) || unwritable.count(to) || readOnly.count(to) || !files.count(from)) return false;
    if (readOnly.erase(from)) readOnly.insert(to);
    files[to] = std::move(files[from]);
    files.erase(from);
    return true;
}

std::string FakePlatform::utf8ToAnsi(const std::string& text) {
    // A single-byte code page: anything outside ASCII becomes '?'.
    return static_cast<unsigned char>(text[0]) < 0x80 ? text : "?";
}

std::string FakePlatform::toUpper(const std::string& text) {
    std::string out = text;
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

bool FakeProcess::waitForEnd(std::uint32_t ms) {
    platform_.log.push_back("wait-for-end " + name + " " + std::to_string(ms));
    platform_.point();
    if (auto hook = platform_.onWaitForEnd) hook();  // a copy: the hook may clear itself
    if (endsDuringWait && !ended) ended = 0;
    if (!ended) platform_.now += ms;  // waited in vain, to the end
    return ended.has_value();
}

StartResult FakePlatform::startSupervised(const std::string& applicationPath, WindowMode mode) {
    log.push_back("program " + applicationPath + (mode == WindowMode::Hidden ? " hidden" : " minimized"));
    StartResult result = nextProgramStart;
    if (result.started) {
        result.process = std::make_shared<FakeProcess>(applicationPath, *this);
        started.push_back(std::static_pointer_cast<FakeProcess>(result.process));
    }
    return result;
}

bool FakeProcess::endWithEverythingItStarted() {
    platform_.log.push_back("end-tree " + name);
    if (!ended) ended = 1;
    return true;
}

StartResult FakePlatform::startCommandLine(const std::string& commandLine, WindowMode mode) {
    log.push_back("command " + commandLine + (mode == WindowMode::Hidden ? " hidden" : " minimized"));
    auto process = std::make_shared<FakeProcess>(commandLine, *this);
    if (!commandsLinger) process->ended = 0;
    started.push_back(process);
    return {true, 1, "", process};
}

void FakePlatform::sleepMs(std::uint32_t ms) {
    log.push_back("sleep " + std::to_string(ms));
    now += ms;
    if (onSleep) onSleep(ms);
}

void FakePlatform::show(const std::string& text, MessageIcon icon) {
    log.push_back("message " + text);
    shown.emplace_back(text, icon);
    point();
    // A copy: the hook may replace itself.
    if (auto hook = onShow) hook(text);
}

HttpResult FakePlatform::send(const HttpRequest& request) {
    log.push_back("http " + request.method + " " + request.url);
    requests.push_back(request);
    HttpResult result = defaultAnswer;
    const std::size_t page = request.url.rfind('/');
    if (page != std::string::npos && pageAnswers.count(request.url.substr(page))) {
        result = pageAnswers[request.url.substr(page)];
    } else if (!answers.empty()) {
        result = answers.front();
        answers.pop_front();
    }
    // As the client's contract says: no answer beyond the cap.
    result.body = cutUtf8(std::move(result.body), request.maxBodyBytes);
    return result;
}

std::string FakePlatform::readString(const std::string& file, const std::string& section, const std::string& key,
                                     const std::string& defaultValue, std::uint32_t bufferSize) {
    log.push_back("profile " + file + " " + section + " " + key);
    auto it = profile.find(file + "|" + section + "|" + key);
    const std::string value = it == profile.end() ? defaultValue : it->second;
    return value.substr(0, bufferSize - 1);
}

bool FakePlatform::notifyIcon(TrayMessage message, const TrayRecordBytes& record) {
    trayCalls.emplace_back(message, record);
    point();
    switch (message) {
        case TrayMessage::Add:
            if (iconShown) return false;  // the shell has one already
            if (refusedAdds > 0) {
                --refusedAdds;
                return false;
            }
            return iconShown = true;
        case TrayMessage::Modify: return iconShown;
        case TrayMessage::Delete: return std::exchange(iconShown, false);
    }
    return false;
}

void FakePlatform::applyControl(ControlId, const ControlState&) {}

void FakePlatform::setWindowVisible(bool v) {
    log.push_back(v ? "show-window" : "hide-window");
    visible = v;
    point();
}

void FakePlatform::setTimerInterval(std::uint32_t ms) {
    log.push_back("timer " + std::to_string(ms));
    timer = ms;
}

void FakePlatform::pumpPendingEvents() {
    log.push_back("pump");
    point();
    if (auto hook = onPump) hook();
}

void FakePlatform::showPopupMenu() {
    log.push_back("popup");
    point();
    if (auto hook = onPopup) hook();
}

std::optional<std::uint32_t> FakePlatform::pictureIcon(int index) {
    if (index < 0 || index >= pictureCount) return std::nullopt;
    return pictureHandle(index);
}

std::uint32_t read32(const TrayRecordBytes& record, std::size_t offset) { return readTray32(record, offset); }

std::string readField(const TrayRecordBytes& record, std::size_t offset, std::size_t width) {
    return std::string(reinterpret_cast<const char*>(record.data() + offset), width);
}

}  // namespace tavrio::testing
