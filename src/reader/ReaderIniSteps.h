#pragma once

#include "ReaderHandles.h"
#include "ReaderLibraryCalls.h"
#include "ReaderPortHost.h"
#include "ReaderPortSteps.h"

#include <string>

namespace reader_ini {

// The port settings in the INI file at path; a missing key or file gives an opened port's value.
reader_port::PortSettings ReadPortSettings(const std::string& path);

// Opens and configures the reader port from the INI file at path, showing library errors;
// enables or disables Btn_Run through host. A port still held in handles.PortHandle is closed
// first, as the port is opened exclusively; the opened one is kept there and bound to
// handles.ReaderHandle.
void LoadIni(const std::string& path, ReaderPortHost& host, ReaderHandles& handles,
             const ReaderLibraryCalls& library = {});

// Stores the parameters of the port open in handles.PortHandle in the INI file at path;
// nothing unless it is > 0.
void SaveIni(const std::string& path, const ReaderHandles& handles,
             const ReaderLibraryCalls& library = {});

} // namespace reader_ini
