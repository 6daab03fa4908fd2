// How much of each outside input the panel takes at most: a runaway file or answer must neither freeze the
// labels nor eat memory. Each cap is enforced in one place, named beside it.
#pragma once

#include <cstddef>

namespace tavrio {

// An HTTP answer, as bytes read and as the text shown (HttpClient::send).
inline constexpr std::size_t kMaxAnswerBytes = 1 << 20;
// The QR code's file (Form1::ReadFileToText).
inline constexpr std::size_t kMaxQrFileBytes = 1 << 20;
// The head of .env, which holds four short lines (Form1::LoadEnvFile).
inline constexpr std::size_t kEnvHeadBytes = 64 * 1024;
// The head of a conf.ini that the core reads itself (ReadIniValue).
inline constexpr std::size_t kIniHeadBytes = 1 << 20;
// The message counter's last line (readLastLine).
inline constexpr std::size_t kMaxCounterLineBytes = 1 << 20;

}  // namespace tavrio
