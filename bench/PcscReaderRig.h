#pragma once

#include "PcscDaemon.h"
#include "ReaderEmulatorProcess.h"
#include "zqcom.h"
#include "zqkrt.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdint>
#include <memory>
#include <string>

// A PC/SC reader for the benchmarks: a private pcscd whose virtual reader presents the card of a
// reader emulator's PC/SC face, and a reader of the reader library bound to it as port 5.
struct PcscReaderRig {
    PcscDaemon daemon;
    QTemporaryDir directory;
    ReaderEmulatorProcess emulator;
    std::int32_t port = 0;
    std::int32_t reader = 0;

    ~PcscReaderRig() {
        if (port > 0)
            ZQCOM_ClosePort(port);
    }

    // Null with error set when a part did not come up; what did is ended again.
    static std::unique_ptr<PcscReaderRig> start(QString& error) {
        auto rig = std::make_unique<PcscReaderRig>();
        if (!rig->daemon.start(error) || !rig->directory.isValid() ||
            !rig->emulator.start(
                QCoreApplication::applicationDirPath() + "/reader-emulator", rig->directory.path(),
                {"--port", "COM1", "--pcsc", "127.0.0.1:" + rig->daemon.cardPort()}, error))
            return nullptr;
        rig->port = ZQCOM_OpenPort("5");
        rig->reader = ZQKRT_NewReader(0);
        if (rig->port <= 0 || rig->reader <= 0 ||
            ZQKRT_SetReaderPara(rig->reader, "PortHnd", std::to_string(rig->port).c_str()) !=
                ZQKRT_OK) {
            error = QString("cannot bind a reader to PC/SC port 5 (%1)").arg(rig->port);
            return nullptr;
        }
        return rig;
    }
};
