// The files of the program folder that the panel tests, reads or deletes, each named by the folder followed by
// one of these names. The marker files are the bot's: the panel never creates or writes any of them.
#pragma once

namespace tavrio::file {

inline constexpr const char* kBot = "\\bot.exe";
inline constexpr const char* kEnv = "\\.env";
inline constexpr const char* kConfIni = "\\conf.ini";

// Markers: the bot has started; the text to show as a QR code; the bot is linked and ready; the bot asks to be
// restarted; its message counter (the last line is the count); its saved link to the phone account.
inline constexpr const char* kStartMarker = "\\start.txt";
inline constexpr const char* kQrMarker = "\\qr.txt";
inline constexpr const char* kReadyMarker = "\\ws.txt";
inline constexpr const char* kRestartMarker = "\\ssreomve.txt";
inline constexpr const char* kMessageCounter = "\\log\\message-counter.txt";
inline constexpr const char* kSession = "\\session.db";

}  // namespace tavrio::file
