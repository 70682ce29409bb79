#ifndef ZQKRT_H
#define ZQKRT_H

/* Reader library: readers bound to ports of the port library, and their parameters.
 * Every function returns a status: negative is one of the errors below, 0 is success, and a
 * positive value is a status of its own (see "IsProtToAppLocked"). Parameter names are
 * matched regardless of case; names and values are NUL-terminated text. All functions may be
 * called from several threads at once. */

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#if defined(ZQKRT_BUILD)
#define ZQKRT_API __declspec(dllexport)
#else
#define ZQKRT_API __declspec(dllimport)
#endif
#else
#define ZQKRT_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

enum {
    ZQKRT_OK = 0,
    ZQKRT_NOT_LOCKED = 1,               /* "IsProtToAppLocked": the protocol is not locked */
    ZQKRT_ERR_BAD_ARGUMENT = -101,      /* a pointer argument is null, reserved is not 0, a
                                           bus address outside 0..255, or a request length
                                           negative or above ZQKRT_MAX_REQUEST_LENGTH */
    ZQKRT_ERR_UNKNOWN_PARAMETER = -102, /* no reader or library parameter has this name */
    ZQKRT_ERR_BAD_VALUE = -103,         /* value outside its allowed set; for "PortHnd" also
                                           a handle that is no open port */
    ZQKRT_ERR_READ_ONLY = -104,         /* the parameter can only be read */
    ZQKRT_ERR_BAD_HANDLE = -105,        /* no reader has this handle, or the parameter does
                                           not belong to it (library parameters live on
                                           handle 0, reader parameters on readers) */
    ZQKRT_ERR_BUFFER_TOO_SMALL = -106,  /* the value and its NUL do not fit the buffer; a
                                           reply does not fit the response buffer; the
                                           oldest log line does not fit the text buffer */
    ZQKRT_ERR_TOO_MANY_READERS = -107,  /* ZQKRT_MAX_READERS readers exist already */
    ZQKRT_ERR_PORT_NOT_OPEN = -108,     /* the reader is bound to no port ("PortHnd"), or its
                                           port has been closed */
    ZQKRT_ERR_TIMEOUT = -109,           /* no reply within the reply time-out */
    ZQKRT_ERR_CRC = -110,               /* a frame with a bad CRC came, and no good reply
                                           before the reply time-out */
    ZQKRT_ERR_FRAMING = -111,           /* the reply's data does not fit its command, or no
                                           good reply came before the reply time-out but a
                                           reply to another command, a length out of range or
                                           a frame that broke off did */
    ZQKRT_ERR_WRITE_FAILED = -112,      /* the request could not be written, or the line hung
                                           up while the reply was awaited */
    ZQKRT_ERR_INTERNAL = -113,          /* the library failed inside, e.g. out of memory */
    ZQKRT_ERR_CANCELLED = -114          /* ZQKRT_CancelCommand ended the wait for the reply */
};

/* Readers live until the process ends; this many can be made. */
#define ZQKRT_MAX_READERS 4096

/* Buffer size that ZQKRT_GetReaderPara assumes. */
#define ZQKRT_VALUE_BUFFER_SIZE 256

/* reserved must be 0. Returns a reader handle > 0; handles count up. */
ZQKRT_API int32_t ZQKRT_NewReader(int32_t reserved);

/* Parameter names, described below. */
#define ZQKRT_PARA_PORT_HANDLE "PortHnd"
#define ZQKRT_PARA_LOG_PROTOCOL "LogProt"
#define ZQKRT_PARA_LOCK_PROTOCOL "LockProtToApp"
#define ZQKRT_PARA_IS_PROTOCOL_LOCKED "IsProtToAppLocked"

/* Parameters of a reader (handle > 0):
 *   "PortHnd"  decimal handle of an open port of the port library; binds the reader to it.
 *              Reads "0" until bound.
 *   "LogProt"  "1" logs the reader protocol, "0" does not (the default).
 * Parameters of the library (handle 0):
 *   "LockProtToApp"      "1" locks the protocol to this process, "0" releases it.
 *   "IsProtToAppLocked"  read only: returns ZQKRT_OK with "1" while locked, ZQKRT_NOT_LOCKED
 *                        with "0" otherwise. */
ZQKRT_API int32_t ZQKRT_SetReaderPara(int32_t readerHandle, const char* name, const char* value);

/* Copies the value into value, which holds at least ZQKRT_VALUE_BUFFER_SIZE bytes. */
ZQKRT_API int32_t ZQKRT_GetReaderPara(int32_t readerHandle, const char* name, char* value);

/* As ZQKRT_GetReaderPara for a buffer of valueSize bytes. When the value does not fit, returns
 * ZQKRT_ERR_BUFFER_TOO_SMALL and leaves an empty string (nothing when valueSize is 0). */
ZQKRT_API int32_t ZQKRT_GetReaderParaBuf(int32_t readerHandle, const char* name, char* value,
                                         size_t valueSize);

/* Reader commands. Each talks to the reader bound with "PortHnd", at bus address 0..255 (255:
 * broadcast: the first reader to answer), and returns the reader's status (0 or positive) or a
 * negative library error. A command holds its port until the reply has come or the reply
 * time-out has passed: the line time of the request and of the longest reply at the port's
 * "Baud" and "Frame", plus 20 ms, plus the port's "TimeOut". On a PC/SC port ("5".."8") they go
 * to the card the reader presents, answer in the same layouts and statuses, and ignore the bus
 * address; commands without a card counterpart give the reader status 0x01. */

/* The reader's command codes, as the wire protocol carries them and the command functions
 * below name them. */
enum { ZQKRT_COMMAND_GET_BAUD = 0x52, ZQKRT_COMMAND_RF_RESET = 0x69, ZQKRT_COMMAND_ISO = 0xB0 };

/* Asks the reader for its rate: ZQKRT_STATUS_OK when a reader answers at the port's current
 * settings. */
ZQKRT_API int32_t ZQKRT_0x52_GetBaud(int32_t readerHandle, int32_t busAddress);

/* Switches the reader's field off and on: the reader's status (ZQKRT_STATUS_OK,
 * or ZQKRT_STATUS_FIELD_SWITCHED_ON when it was off). */
ZQKRT_API int32_t ZQKRT_0x69_RFReset(int32_t readerHandle, int32_t busAddress);

/* Size of the response buffer that ZQKRT_0xB0_ISOCmd assumes, and the longest request. */
#define ZQKRT_RESPONSE_BUFFER_SIZE 256
#define ZQKRT_MAX_REQUEST_LENGTH 253

/* A transponder's serial number: 8 bytes, written as 16 hex digits. */
#define ZQKRT_SERIAL_NUMBER_LENGTH 8

/* Reader statuses that come with a reply: of ZQKRT_0xB0_ISOCmd, and ZQKRT_STATUS_OK and
 * ZQKRT_STATUS_FIELD_SWITCHED_ON of the other commands too. A command's status is compared with
 * these by name; a negative one is the library's error. */
enum {
    ZQKRT_STATUS_OK = ZQKRT_OK,             /* the reader did what was asked */
    ZQKRT_STATUS_NO_TRANSPONDER = 0x83,     /* no transponder answered */
    ZQKRT_STATUS_FIELD_SWITCHED_ON = 0x84,  /* the field was off and is on now */
    ZQKRT_STATUS_REPLY_INCOMPLETE = 0x90,   /* only part of what was asked for */
    ZQKRT_STATUS_COLLISION_RESOLVED = 0x93, /* transponders collided and were read one by one */
    ZQKRT_STATUS_MORE_TRANSPONDERS = 0x94,  /* more transponders than the reply holds */
    ZQKRT_STATUS_TRANSPONDER_ERROR = 0x95   /* the transponder answered with its error flag */
};

/* Nonzero for the statuses that come with a reply. */
static inline int ZQKRT_StatusCarriesReply(int32_t status) {
    switch (status) {
    case ZQKRT_STATUS_OK:
    case ZQKRT_STATUS_NO_TRANSPONDER:
    case ZQKRT_STATUS_FIELD_SWITCHED_ON:
    case ZQKRT_STATUS_REPLY_INCOMPLETE:
    case ZQKRT_STATUS_COLLISION_RESOLVED:
    case ZQKRT_STATUS_MORE_TRANSPONDERS:
    case ZQKRT_STATUS_TRANSPONDER_ERROR:
        return 1;
    default:
        return 0;
    }
}

/* Sends an ISO 15693 request (host layout: serial numbers with 0xE0 first) and gives the reply
 * (host layout) in response, which holds ZQKRT_RESPONSE_BUFFER_SIZE bytes, and its length in
 * *responseLength. reserved must be 0. The statuses of ZQKRT_StatusCarriesReply come with a
 * reply; any other status and every error, bad arguments included, leave *responseLength 0 when
 * responseLength is not null. */
ZQKRT_API int32_t ZQKRT_0xB0_ISOCmd(int32_t readerHandle, int32_t busAddress,
                                    const uint8_t* request, int32_t requestLength,
                                    uint8_t* response, int32_t* responseLength, int32_t reserved);

/* Ends, from any thread, the command that waits on the serial port of the reader's "PortHnd"
 * now: it returns ZQKRT_ERR_CANCELLED within about 20 ms, and the request it sent may still be
 * answered on the line. A command that starts after this call is not touched, nor is one on a
 * PC/SC port (their waits are short). ZQKRT_OK, also when no command waits. */
ZQKRT_API int32_t ZQKRT_CancelCommand(int32_t readerHandle);

/* Takes the oldest lines of the reader's protocol log, as many whole lines as fit size bytes with
 * the NUL, out of the log, and returns the number of characters taken (0: the log is empty).
 * While "LogProt" is "1" every frame sent and received is logged as one line: "->" (sent) or
 * "<-" (received), then each byte as a blank and two upper-case hex digits, then a line feed.
 * The log keeps its newest 64 KiB; older lines are dropped. Switching "LogProt" off keeps the
 * lines not yet taken. ZQKRT_ERR_BUFFER_TOO_SMALL when the oldest line does not fit: the text
 * is then an empty string (nothing when size is 0) and the log stays as it was. */
ZQKRT_API int32_t ZQKRT_ReadProtocolLog(int32_t readerHandle, char* text, size_t size);

#ifdef __cplusplus
}
#endif

#endif
