#pragma once

#include "MessageBoxes.h"
#include "ReaderEmulatorProcess.h"
#include "ReaderHandles.h"
#include "ReaderIniPath.h"
#include "ReaderIniSteps.h"
#include "ReaderPortHost.h"
#include "zqcom.h"
#include "zqkrt.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <filesystem>
#include <optional>

// The reader emulator at 9600 Bd, 8E1 on COM1 of a temporary working directory, whose COM2 to
// COM4 are links to nothing: they fail to open and never fall through to a real port. The
// handles stand for the main window's, and the messages shown are recorded.
class ReaderPortFixture {
public:
    ~ReaderPortFixture() {
        closePort();
        QDir::setCurrent(previous_);
    }

    bool start(QString& error) {
        if (!emulator.start(QCoreApplication::applicationDirPath() + "/reader-emulator", dir.path(),
                            {"--no-delays", "--rate", "9600"}, error)) {
            return false;
        }
        bool linked = true;
        for (const char* link : {"com2", "com3", "com4"}) {
            std::error_code linkError;
            std::filesystem::create_symlink(
                "no-device", dir.filePath("dosdevices/%1").arg(link).toStdString(), linkError);
            linked = linked && !linkError;
        }
        handles.ReaderHandle = ZQKRT_NewReader(0);
        error = "no links or no reader";
        return linked && QDir::setCurrent(dir.path()) && handles.ReaderHandle > 0;
    }

    // Each test starts without an open port and without messages.
    void reset() {
        closePort();
        messages.clear();
    }

    void closePort() { ZQCOM_ClosePort(handles.PortHandle.exchange(0)); }

    std::string portParameter(const char* name) const {
        char value[ZQCOM_VALUE_BUFFER_SIZE] = {};
        return ZQCOM_GetPortPara(handles.PortHandle, name, value) < 0 ? "failed" : value;
    }

    QTemporaryDir dir;
    ReaderEmulatorProcess emulator;
    ReaderHandles handles;
    platform::MessageRecorder messages;

private:
    QString previous_ = QDir::currentPath();
};

// Keeps what was done to Btn_Run and saves as the main window does, with the given handles.
class FakePortHost : public ReaderPortHost {
public:
    explicit FakePortHost(ReaderHandles& handles) : handles_(handles) {}

    void setRunEnabled(bool enabled) override { runEnabled = enabled; }
    void SaveIni() override { reader_ini::SaveIni(iniPath, handles_); }

    std::optional<bool> runEnabled;
    std::string iniPath = readerIniPath();

private:
    ReaderHandles& handles_;
};
