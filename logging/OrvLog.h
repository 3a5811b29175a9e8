/* OrvLog: the logging library of Corvel. Every log site fills an _OwnLogRecord on its own
 * stack and hands it to OLOwnLogOutput; the library formats it for each output channel of the
 * log (file, debugger output, system stub) and appends it to the log file.
 *
 * Wide text is wchar_t; narrow text is UTF-8. The printf-style functions take this platform's
 * C-library conventions (%ls for wide text in a wide format, %s for narrow text). */
#ifndef ORVLOG_ORVLOG_H
#define ORVLOG_ORVLOG_H

#include <stdbool.h>
#include <stdint.h>
#include <wchar.h>

#if defined(__GNUC__)
#define OL_API __attribute__((visibility("default")))
#define OL_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define OL_API
#define OL_PRINTF(fmt, args)
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef uint32_t OLHandle;

/* Severities; 6 is the library's own banner level, printed as "MANDATORY". */
typedef enum OwnLogSeverity {
    OL_DEBUG = 0,
    OL_TRACE = 1,
    OL_NOTICE = 2,
    OL_WARNING = 3,
    OL_ERROR = 4,
    OL_MANDATORY = 5,
    OL_BANNER = 6
} OwnLogSeverity;

/* Channel types. */
enum { OL_CHANNEL_SYSTEM = 1, OL_CHANNEL_FILE = 2, OL_CHANNEL_IDE = 3 };

/* One log entry. The strings belong to the log site; the library only reads them during
 * OLOwnLogOutput. day, month and year are stamped by OLGetTimeStr. */
typedef struct _OwnLogRecord {
    int32_t processId;
    int32_t threadId;
    const char* timeText;
    const char* moduleName;
    void* moduleHandle;
    const char* moduleTag;
    const wchar_t* sourceFile;
    const char* function;
    int32_t line;
    int32_t severity;
    int32_t code;
    const wchar_t* message;
    int32_t day;
    int32_t month;
    int32_t year;
} _OwnLogRecord;

/* One record read back by OLParseOwnLog; owned by the library. */
typedef struct _ParserDataItem {
    int32_t code;
    const wchar_t* severityName;
    wchar_t* message;
} _ParserDataItem;

OL_API int OLInitOwnLogW(OLHandle handle, const wchar_t* stem, const wchar_t* folder, bool recreate,
                         bool dated, int32_t systemLevel, int32_t fileLevel, int32_t ideLevel);
OL_API int OLInitOwnLogA(OLHandle handle, const char* stem, const char* folder, bool recreate,
                         bool dated, int32_t systemLevel, int32_t fileLevel, int32_t ideLevel);
OL_API int OLCloseOwnLog(OLHandle handle);
OL_API int OLCreateOwnLog(OLHandle handle);
OL_API OLHandle OLGetOwnLogHandle(void);
OL_API bool OLisOwnLog(OLHandle handle);
OL_API int OLSetApplicationLog(OLHandle handle);

OL_API int OLOpenOwnSystemChannel(OLHandle handle, int32_t level);
OL_API int OLOpenOwnFileChannelW(OLHandle handle, int32_t level, const wchar_t* stem,
                                 const wchar_t* folder, bool recreate, bool dated);
OL_API int OLOpenOwnFileChannelA(OLHandle handle, int32_t level, const char* stem, const char* folder,
                                 bool recreate, bool dated);
OL_API int OLOpenOwnIDEChannel(OLHandle handle, int32_t level);
OL_API int OLCloseOwnLogChannel(OLHandle handle, int32_t type);

OL_API int OLSetOwnLogSeverityThreshold(OLHandle handle, int32_t threshold, int32_t type);
OL_API int OLGetOwnLogSeverityThreshold(OLHandle handle, int32_t* threshold, int32_t type);
OL_API int OLSetOwnLogFileBuffering(OLHandle handle, int32_t buffering);
OL_API int OLGetOwnLogFileBuffering(OLHandle handle, int32_t* buffering);
/* Points into the file channel; valid while the channel lives. */
OL_API const wchar_t* OLGetOwnLogFileFolderW(OLHandle handle);
/* A copy the caller releases with free(). */
OL_API char* OLGetOwnLogFileFolderA(OLHandle handle);

OL_API bool OLIsOwnLogRecordNeeded(OLHandle handle, int32_t severity, void* moduleHandle);
OL_API int OLOwnLogOutput(OLHandle handle, const _OwnLogRecord* record);
OL_API int OLSetOwnLinksW(OLHandle handle, const wchar_t* modules);
OL_API int OLSetOwnLinksA(OLHandle handle, const char* modules);

/* Strings returned here are released with OLDestroyInternalStr. */
OL_API char* OLGetTimeStr(_OwnLogRecord* record);
OL_API wchar_t* OLGetErrorStrW(const wchar_t* format, ...);
OL_API wchar_t* OLGetErrorStrA(const char* format, ...) OL_PRINTF(1, 2);
OL_API int OLDestroyInternalStr(char** timeText, wchar_t** message);

OL_API int OLGetOwnLogJobId(OLHandle handle, uint64_t* jobId);
OL_API int OLSetOwnLogJobId(OLHandle handle, uint64_t* jobId);
OL_API int OLSetOwnLogLibFuncId(OLHandle handle, uint32_t id);
OL_API int OLGetOwnLogLibFuncId(OLHandle handle, uint32_t* id);
OL_API int OLReleaseOwnLogLibFuncId(OLHandle handle, uint32_t id);
OL_API int OLGetCurrentOwnLogPosition(OLHandle handle, uint64_t* position);
OL_API int OLParseOwnLog(OLHandle handle, uint32_t* position, int32_t minSeverity, int32_t mode,
                         _ParserDataItem*** items, uint32_t* count);
OL_API int OLReleaseOwnParserData(OLHandle handle);

OL_API int OLMessageBoxW(const wchar_t* caption, const wchar_t* text, int32_t value1, int32_t value2);
OL_API int OLMessageBoxA(const char* caption, const char* text, int32_t value1, int32_t value2);
OL_API int OLMessageBoxStubW(const wchar_t* caption, const wchar_t* text, int32_t value1, int32_t value2);
OL_API int OLMessageBoxStubA(const char* caption, const char* text, int32_t value1, int32_t value2);

#ifdef __cplusplus
}
#endif

#endif
