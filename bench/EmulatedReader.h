#pragma once

#include "ReaderEmulatorProcess.h"
#include "zqcom.h"
#include "zqkrt.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdint>
#include <string>

// A reader of the reader library on the reader emulator, for the benchmarks: the emulator in a
// folder of its own, a port of the library opened on it and a reader bound to that port.
struct EmulatedReader {
    QTemporaryDir directory;
    ReaderEmulatorProcess emulator;
    std::int32_t port = 0;
    std::int32_t reader = 0;

    ~EmulatedReader() {
        if (port > 0)
            ZQCOM_ClosePort(port);
    }

    // On the serial line: the emulator's folder becomes the working folder, where port "1"
    // finds its COM1 link. False with error set when a part did not come up.
    bool startSerial(QString& error) {
        return start({}, error) && QDir::setCurrent(directory.path()) && bind("1", error);
    }

    // Its PC/SC face on the card port of a private daemon, which the library opens as port "5".
    bool startPcsc(const QString& cardPort, QString& error) {
        return start({"--port", "COM1", "--pcsc", "127.0.0.1:" + cardPort}, error) &&
               bind("5", error);
    }

private:
    bool start(const QStringList& arguments, QString& error) {
        return directory.isValid() &&
               emulator.start(QCoreApplication::applicationDirPath() + "/reader-emulator",
                              directory.path(), arguments, error);
    }

    bool bind(const char* portName, QString& error) {
        port = ZQCOM_OpenPort(portName);
        reader = ZQKRT_NewReader(0);
        if (port > 0 && reader > 0 &&
            ZQKRT_SetReaderPara(reader, "PortHnd", std::to_string(port).c_str()) == ZQKRT_OK)
            return true;
        error = QString("cannot bind a reader to port %1 (%2)").arg(portName).arg(port);
        return false;
    }
};
