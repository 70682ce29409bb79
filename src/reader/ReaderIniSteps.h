#pragma once

#include "ReaderLibrary.h"
#include "ReaderPortHost.h"

#include <string>

namespace reader_ini {

// Opens and configures the reader port from the INI file at path, showing library errors;
// enables or disables Btn_Run through host. A port still held is closed first, as the port
// is opened exclusively.
void LoadIni(const std::string& path, ReaderPortHost& host, const ReaderLibrary& library = {});

// Stores the open port's parameters in the INI file at path; nothing unless PortHandle > 0.
void SaveIni(const std::string& path, const ReaderLibrary& library = {});

} // namespace reader_ini
