#pragma once

#include <string>

// The reader port's INI file and its section.
inline constexpr const char* kReaderIniSection = "COMPORT";

// The INI file "ZQKRT_Tovrel.ini" in the current working directory, the path taken whole.
std::string readerIniPath();
