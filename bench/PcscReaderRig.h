#pragma once

#include "EmulatedReader.h"
#include "PcscDaemon.h"

#include <memory>

// A PC/SC reader for the benchmarks: a private pcscd whose virtual reader presents the card of a
// reader emulator's PC/SC face, and a reader of the reader library bound to it as port 5.
struct PcscReaderRig {
    PcscDaemon daemon;
    EmulatedReader card;

    // Null with error set when a part did not come up; what did is ended again.
    static std::unique_ptr<PcscReaderRig> start(QString& error) {
        auto rig = std::make_unique<PcscReaderRig>();
        if (!rig->daemon.start(error) || !rig->card.startPcsc(rig->daemon.cardPort(), error))
            return nullptr;
        return rig;
    }
};
