#pragma once

// What the port settings dialog and LoadIni need of the main window.
class ReaderPortHost {
public:
    virtual ~ReaderPortHost() = default;
    virtual void setRunEnabled(bool enabled) = 0; // the main window's Btn_Run
    virtual void SaveIni() = 0;                   // the main window's SaveIni
};
