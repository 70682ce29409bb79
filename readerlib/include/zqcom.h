#ifndef ZQCOM_H
#define ZQCOM_H

/* Port library: opens the reader's serial ports and keeps their parameters.
 * Every function returns a status: 0 or positive is success, negative is one of the errors
 * below. Parameter names are matched regardless of case; names and values are NUL-terminated
 * text. All functions may be called from several threads at once. */

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#if defined(ZQCOM_BUILD)
#define ZQCOM_API __declspec(dllexport)
#else
#define ZQCOM_API __declspec(dllimport)
#endif
#else
#define ZQCOM_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

enum {
    ZQCOM_OK = 0,
    ZQCOM_ERR_BAD_ARGUMENT = -1,      /* a pointer argument is null */
    ZQCOM_ERR_UNKNOWN_PARAMETER = -2, /* no port parameter has this name */
    ZQCOM_ERR_BAD_VALUE = -3,         /* value or port number outside its allowed set */
    ZQCOM_ERR_READ_ONLY = -4,         /* the parameter can only be read ("PortNr") */
    ZQCOM_ERR_BAD_HANDLE = -5,        /* no open port has this handle (never was, or closed) */
    ZQCOM_ERR_BUFFER_TOO_SMALL = -6,  /* the value and its NUL do not fit the buffer */
    ZQCOM_ERR_OPEN_FAILED = -7,       /* no device behind the port number, or it fails to open */
    ZQCOM_ERR_PORT_BUSY = -8,         /* the device is held by another open, here or elsewhere */
    ZQCOM_ERR_LINE_SETTINGS = -9,     /* the device refused the line settings, or is no line */
    ZQCOM_ERR_TOO_MANY_PORTS = -10,   /* no handle is left for another open port */
    ZQCOM_ERR_INTERNAL = -11,         /* the library failed inside, e.g. out of memory */
    ZQCOM_ERR_NO_SERVICE = -12        /* PC/SC port: no PC/SC service running, or its client
                                         library (libpcsclite.so.1) is not installed */
};

/* Port numbers: the serial ports COM1..COM4, then the first to fourth reader of the PC/SC
 * service. */
#define ZQCOM_FIRST_SERIAL_PORT 1
#define ZQCOM_LAST_SERIAL_PORT 4
#define ZQCOM_FIRST_PCSC_PORT 5
#define ZQCOM_LAST_PCSC_PORT 8

/* Buffer sizes that ZQCOM_GetPortPara assumes: "PortNr" and every other parameter. */
#define ZQCOM_PORTNR_BUFFER_SIZE 5
#define ZQCOM_VALUE_BUFFER_SIZE 256

/* Port parameter names, described below. */
#define ZQCOM_PARA_PORTNR "PortNr"
#define ZQCOM_PARA_BAUD "Baud"
#define ZQCOM_PARA_FRAME "Frame"
#define ZQCOM_PARA_TIMEOUT "TimeOut"
#define ZQCOM_PARA_TX_TIME_CONTROL "TxTimeControl"
#define ZQCOM_PARA_TX_DELAY_TIME "TxDelayTime"
#define ZQCOM_PARA_READER_NAME "ReaderName"

/* What an opened port is set to. */
#define ZQCOM_DEFAULT_BAUD 38400
#define ZQCOM_DEFAULT_FRAME "8E1"
#define ZQCOM_DEFAULT_TIMEOUT 800
#define ZQCOM_DEFAULT_TX_TIME_CONTROL 1
#define ZQCOM_DEFAULT_TX_DELAY_TIME 5

/* Opens port "1".."4" (serial) or "5".."8" (the first to fourth reader of the PC/SC service)
 * and sets it to the defaults above.
 * Returns a handle > 0. Handles count up, so the handle of a closed port stays invalid. */
ZQCOM_API int32_t ZQCOM_OpenPort(const char* portNr);

/* Returns ZQCOM_OK when the port is closed. */
ZQCOM_API int32_t ZQCOM_ClosePort(int32_t portHandle);

/* Walks the open ports in the order of their handles: 0 gives the first, a handle gives the
 * next after it. Returns a handle > 0, or 0 at the end. */
ZQCOM_API int32_t ZQCOM_GetPortList(int32_t previous);

/* Parameters, values as text:
 *   "PortNr"        read only: "1".."8"
 *   "Baud"          "115200", "57600", "38400", "19200", "9600", "4800", "2400", "1200"
 *   "Frame"         "8E1", "8N1", "8O1" (written in any case)
 *   "TimeOut"       read time-out in milliseconds, decimal 0..60000
 *   "TxTimeControl" "1": the reader library keeps the line quiet for "TxDelayTime" ms before
 *                   each request (at most 1000 ms, whatever the value); "0": no pause
 *   "TxDelayTime"   milliseconds, decimal 0..60000
 *   "ReaderName"    read only: the PC/SC reader's name; empty for a serial port
 * "Baud" and "Frame" take effect on the line at once; a PC/SC port keeps them, and its
 * "TimeOut" bounds each wait for the reader's state. */

/* Copies the value into value, which holds at least ZQCOM_PORTNR_BUFFER_SIZE bytes for
 * "PortNr" and ZQCOM_VALUE_BUFFER_SIZE bytes otherwise. */
ZQCOM_API int32_t ZQCOM_GetPortPara(int32_t portHandle, const char* name, char* value);

/* As ZQCOM_GetPortPara for a buffer of valueSize bytes. When the value does not fit, returns
 * ZQCOM_ERR_BUFFER_TOO_SMALL and leaves an empty string (nothing when valueSize is 0). */
ZQCOM_API int32_t ZQCOM_GetPortParaBuf(int32_t portHandle, const char* name, char* value,
                                       size_t valueSize);

ZQCOM_API int32_t ZQCOM_SetPortPara(int32_t portHandle, const char* name, const char* value);

#ifdef __cplusplus
}
#endif

#endif
