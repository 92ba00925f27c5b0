/*
 * environment_double.h - a stand-in for environment.dll for tests.
 *
 * It exports EnvOpen, EnvClose, EnvWrite and EnvRead at ordinals 1 to 4
 * (cdecl, the real store's arguments), so TavixConfigSet.dll binds to it
 * unchanged, and the controls below, by name, for the test program.
 *
 * Without a script the double behaves as a small store in memory: EnvOpen
 * and EnvClose return 0, EnvWrite keeps the value and returns 0, EnvRead
 * returns 0 and the value (the length word then holds its length), 2 for a
 * missing key, and 3 for a value longer than the capacity (buffer untouched,
 * the length word then holds the length needed) - the real store's codes.
 * Scripted results are used first, one per call, in order.
 *
 * Every call is recorded with its arguments. The double never writes more
 * than the capacity into a buffer. It is meant for one thread at a time.
 *
 * The environment variable ENVIRONMENT_DOUBLE_OPEN, read when the double is
 * loaded, sets what EnvOpen returns in a process the test cannot reach with
 * the controls (a probe, say).
 */
#ifndef ENVIRONMENT_DOUBLE_H
#define ENVIRONMENT_DOUBLE_H

#ifdef __cplusplus
extern "C" {
#endif

#if defined(ENVIRONMENT_DOUBLE_BUILD)
#define DOUBLE_API
#else
#define DOUBLE_API __declspec(dllimport)
#endif

enum DoubleOperation { DOUBLE_OPEN = 1, DOUBLE_CLOSE = 2, DOUBLE_WRITE = 3, DOUBLE_READ = 4 };

#define DOUBLE_MAX_KEY 127
#define DOUBLE_MAX_BYTES 64

/* One call as the double saw it. */
typedef struct DoubleCallRecord {
    int operation;                  /* DoubleOperation */
    int result;                     /* what the double returned */
    char key[DOUBLE_MAX_KEY + 1];   /* the key's text, cut to fit; "" without one */
    const char* keyPointer;
    const void* buffer;             /* write: data; read: buffer */
    unsigned int* lengthPointer;    /* read: address of the length word */
    unsigned int length;            /* write: length; read: the length word on entry */
    unsigned int lengthAfter;       /* read: the length word on return */
    unsigned int byteCount;         /* how many of bytes[] are valid */
    /* write: the first bytes of data; read: the first bytes of the buffer
       on entry (at most the capacity), before the double touched it */
    unsigned char bytes[DOUBLE_MAX_BYTES];
} DoubleCallRecord;

/* What one scripted EnvRead does: copy count bytes (at most the capacity)
   into the buffer, then, when setLength is non-zero, put newLength into the
   length word, and return result. Bytes are copied at scripting time. */
typedef struct DoubleReadStep {
    int result;
    const void* bytes;
    unsigned int count;
    int setLength;
    unsigned int newLength;
} DoubleReadStep;

/* Empty store, no script, no record; EnvOpen returns 0. */
DOUBLE_API void DoubleReset(void);
/* What every EnvOpen returns from now on. */
DOUBLE_API void DoubleOpenResult(int result);
/* Results of the next EnvRead / EnvWrite calls, after those already
   scripted. A scripted write stores nothing. */
DOUBLE_API void DoubleScriptRead(const DoubleReadStep* steps, int count);
DOUBLE_API void DoubleScriptWrite(const int* results, int count);
/* Puts a value into the store without a record. 0, or -1 for a bad key. */
DOUBLE_API int DoublePut(const char* key, const void* data, unsigned int length);
DOUBLE_API int DoubleCallCount(void);
/* Copies record index into *out: 0, or -1 when there is no such record. */
DOUBLE_API int DoubleCall(int index, DoubleCallRecord* out);

#ifdef __cplusplus
}
#endif

#endif
