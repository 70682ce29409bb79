#include "zqkrt.h"

#include "ParameterText.h"
#include "ReaderParameterAccess.h"
#include "ReaderTable.h"

#include <string>

using namespace zqkrt_internal;

extern "C" {

int32_t ZQKRT_NewReader(int32_t reserved) {
    if (reserved != 0) {
        return ZQKRT_ERR_BAD_ARGUMENT;
    }
    const std::int32_t handle = addReader();
    return handle > 0 ? handle : ZQKRT_ERR_TOO_MANY_READERS;
}

int32_t ZQKRT_SetReaderPara(int32_t readerHandle, const char* name, const char* value) {
    if (name == nullptr || value == nullptr) {
        return ZQKRT_ERR_BAD_ARGUMENT;
    }
    return writeReaderParameter(readerHandle, name, value);
}

int32_t ZQKRT_GetReaderParaBuf(int32_t readerHandle, const char* name, char* value,
                               size_t valueSize) {
    if (name == nullptr || value == nullptr) {
        return ZQKRT_ERR_BAD_ARGUMENT;
    }
    std::string text;
    const std::int32_t status = readReaderParameter(readerHandle, name, text);
    if (status < 0) {
        return status;
    }
    return readerlib::copyValue(text, value, valueSize) ? status : ZQKRT_ERR_BUFFER_TOO_SMALL;
}

int32_t ZQKRT_GetReaderPara(int32_t readerHandle, const char* name, char* value) {
    return ZQKRT_GetReaderParaBuf(readerHandle, name, value, ZQKRT_VALUE_BUFFER_SIZE);
}

} // extern "C"
