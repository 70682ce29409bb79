#pragma once

#include "ZQKRT_TableArray.h"
#include "zqcom.h"
#include "zqkrt.h"

#include <cstddef>
#include <cstdint>
#include <functional>

// The reader library calls that the main window, the port dialog, the INI steps and the search
// make: the station's one road to the library, so tests can put a double in its place. The
// table's own calls (the probe, the inventory) travel in Reader.
struct ReaderLibraryCalls {
    std::function<std::int32_t(std::int32_t)> NewReader = ZQKRT_NewReader;
    std::function<std::int32_t(const char*)> OpenPort = ZQCOM_OpenPort;
    std::function<std::int32_t(std::int32_t)> ClosePort = ZQCOM_ClosePort;
    std::function<std::int32_t(std::int32_t)> GetPortList = ZQCOM_GetPortList;
    std::function<std::int32_t(std::int32_t, const char*, char*, std::size_t)> GetPortPara =
        ZQCOM_GetPortParaBuf;
    std::function<std::int32_t(std::int32_t, const char*, const char*)> SetPortPara =
        ZQCOM_SetPortPara;
    std::function<std::int32_t(std::int32_t, const char*, const char*)> SetReaderPara =
        ZQKRT_SetReaderPara;
    std::function<std::int32_t(std::int32_t, const char*, char*, std::size_t)> GetReaderPara =
        ZQKRT_GetReaderParaBuf;
    TZQKRT_ReaderCalls Reader;
};
