#pragma once

#include "SerialPort.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>

// What the tests share that talk to an emulator program over its line, as the station does.

using Clock = std::chrono::steady_clock;

inline constexpr int kGenerousMs = 10000;
// How long an emulator that is not meant to answer gets to prove it.
inline constexpr int kSilenceMs = 700;
// A line this long without a byte is taken as done with what it had to send.
inline constexpr int kQuietMs = 200;

// Takes the bytes that came; true once it has what it waits for.
using ChunkTaker = std::function<bool(const std::uint8_t* bytes, std::size_t count)>;

// Hands what comes on port to take until it has enough, waitMs have passed, or, with
// untilQuiet, the line went quiet after some bytes.
void listenOn(platform::SerialPort& port, int waitMs, bool untilQuiet, const ChunkTaker& take);
