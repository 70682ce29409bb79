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
    ZQKRT_ERR_BAD_ARGUMENT = -101,      /* a pointer argument is null, or reserved is not 0 */
    ZQKRT_ERR_UNKNOWN_PARAMETER = -102, /* no reader or library parameter has this name */
    ZQKRT_ERR_BAD_VALUE = -103,         /* value outside its allowed set; for "PortHnd" also
                                           a handle that is no open port */
    ZQKRT_ERR_READ_ONLY = -104,         /* the parameter can only be read */
    ZQKRT_ERR_BAD_HANDLE = -105,        /* no reader has this handle, or the parameter does
                                           not belong to it (library parameters live on
                                           handle 0, reader parameters on readers) */
    ZQKRT_ERR_BUFFER_TOO_SMALL = -106,  /* the value and its NUL do not fit the buffer */
    ZQKRT_ERR_TOO_MANY_READERS = -107   /* ZQKRT_MAX_READERS readers exist already */
};

/* Readers live until the process ends; this many can be made. */
#define ZQKRT_MAX_READERS 4096

/* Buffer size that ZQKRT_GetReaderPara assumes. */
#define ZQKRT_VALUE_BUFFER_SIZE 256

/* reserved must be 0. Returns a reader handle > 0; handles count up. */
ZQKRT_API int32_t ZQKRT_NewReader(int32_t reserved);

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

#ifdef __cplusplus
}
#endif

#endif
