/*
 * environment.h - the environment store: named values shared by every
 * process and thread of the PC.
 *
 * LOCATION
 *   The store is one file, "store.dat", in one folder:
 *     - the folder named by the environment variable TAVIX_ENVIRONMENT_DIR
 *       when it is set and not empty (a relative path is taken from the
 *       current directory), else
 *     - <common application data>\Tavix\environment, that is
 *       CSIDL_COMMON_APPDATA (usually C:\ProgramData) + "\Tavix\environment".
 *   Missing folders are created; a folder the store creates lets every
 *   signed-in account read and write it. The variable is read at each
 *   EnvOpen until one succeeds, then never again in that process. The
 *   folder's full path may have at most ENV_MAX_DIR characters, and it
 *   must be on a local disk: every process maps the file, and only local
 *   files keep all their views in step. The writers' lock is the named
 *   mutex
 *   "Global\TavixEnvironment-<hash of the folder's full path, upper-cased>",
 *   so stores in different folders never share a lock. The file has a fixed
 *   size of about 8.2 MiB; while a process uses it, no one can rename,
 *   delete or truncate it.
 *
 * KEYS AND VALUES
 *   A key is a zero-terminated string of 1 to ENV_MAX_KEY bytes (any byte
 *   but zero). Keys are case-sensitive: "Network.Port" and "network.port"
 *   are two keys. A value is 0 to ENV_MAX_VALUE bytes of any content. The
 *   store holds at most ENV_MAX_KEYS different keys; a key, once written,
 *   stays (there is no delete), a later write replaces its value.
 *
 * OPERATIONS (cdecl; exported by name and by ordinal 1 to 4)
 *   EnvOpen()   Makes the store usable for this process. The first call of
 *               a process maps the file and checks it; later calls only
 *               count. Results: ENV_OK, ENV_REPAIRED, or ENV_FAILED (-1)
 *               when the store cannot be used.
 *   EnvClose()  Undoes one successful EnvOpen. ENV_OK, or ENV_FAILED when
 *               the store is not open. The file stays mapped while the
 *               process lives, so a later EnvOpen is cheap.
 *   EnvWrite(key, data, length)
 *               Stores length bytes from data under key. ENV_OK only once
 *               the value is on disk. ENV_FAILED (-1) is final: null or
 *               empty key, key longer than ENV_MAX_KEY, length above
 *               ENV_MAX_VALUE, null data with length > 0, store not open,
 *               store full, store damaged beyond repair. Results below -1
 *               are transient and worth another attempt: ENV_BUSY (another
 *               writer held the lock for ENV_LOCK_TIMEOUT_MS), ENV_IO_ERROR
 *               (the value could not be flushed to disk; readers may
 *               already see it).
 *   EnvRead(key, buffer, length)
 *               *length holds the capacity of buffer on entry. ENV_OK: the
 *               value stands in buffer and *length holds its length.
 *               ENV_NOT_FOUND: no value under key. ENV_TOO_LONG: the value
 *               is longer than the capacity; buffer is untouched and
 *               *length holds the length needed. ENV_CORRUPT: the stored
 *               value failed its checksum (see DAMAGE); it stays so until
 *               the key is written again. ENV_BUSY: the value kept changing
 *               while being read; try again. ENV_FAILED: null or empty or
 *               too long key, null length, null buffer with a capacity
 *               above 0, store not open. The buffer is written only on
 *               ENV_OK, and never beyond the capacity.
 *   The store counts EnvOpen per process, not per thread: any thread may
 *   read or write while the count is above zero.
 *
 * GUARANTEES
 *   - Every write goes to a spare copy of the value, is checksummed and
 *     flushed, and only then made current by one aligned 32-bit store, which
 *     is flushed too. A process killed at any point of a write leaves the
 *     old or the new value, and the store usable.
 *   - Writers are serialised by the named mutex; writers of different keys
 *     lose nothing. A writer that finds the mutex abandoned checks the whole
 *     store before going on.
 *   - Reads take no lock. A reader copies the value, checks its checksum
 *     and that it did not change meanwhile, else tries again; it never
 *     delivers a torn value.
 *
 * DAMAGE
 *   The first EnvOpen of each process checks the file: its size, its header,
 *   every key and every current value. Reads and writes check what they
 *   touch. When anything fails its check, a copy of the file as found is
 *   kept aside as "store.corrupt-<n>" (n = 1, 2, ...) in the same folder,
 *   and only then is the store repaired in place: a bad size or header
 *   starts the store afresh; a bad value makes its key read ENV_CORRUPT; a
 *   bad key is dropped. The EnvOpen that repaired returns ENV_REPAIRED. If
 *   no copy can be kept aside, nothing is changed and the store is not used.
 *   A file written by a newer format is left alone: EnvOpen fails.
 */
#ifndef TAVIX_ENVIRONMENT_H
#define TAVIX_ENVIRONMENT_H

#ifdef __cplusplus
extern "C" {
#endif

#if defined(ENVIRONMENT_BUILD)
#define ENV_API
#else
#define ENV_API __declspec(dllimport)
#endif

/* Results. */
#define ENV_OK         0    /* done */
#define ENV_FAILED    (-1)  /* final failure (all operations) */
#define ENV_BUSY      (-2)  /* transient: lock busy / value kept changing */
#define ENV_IO_ERROR  (-3)  /* transient: EnvWrite could not flush the value */
#define ENV_REPAIRED   1    /* EnvOpen: open; damage was kept aside and repaired */
#define ENV_NOT_FOUND  2    /* EnvRead: no value under the key */
#define ENV_TOO_LONG   3    /* EnvRead: value longer than the capacity */
#define ENV_CORRUPT    4    /* EnvRead: stored value failed its checksum */

/* Limits. */
#define ENV_MAX_KEY          127   /* bytes of a key, without its zero */
#define ENV_MAX_VALUE       4096   /* bytes of a value */
#define ENV_MAX_KEYS        1024   /* different keys in one store */
#define ENV_MAX_DIR          200   /* characters of the folder's full path */
#define ENV_LOCK_TIMEOUT_MS 1000   /* EnvWrite's longest wait for the lock */

ENV_API int __cdecl EnvOpen(void);
ENV_API int __cdecl EnvClose(void);
ENV_API int __cdecl EnvWrite(const char* key, const void* data, unsigned int length);
ENV_API int __cdecl EnvRead(const char* key, void* buffer, unsigned int* length);

#ifdef __cplusplus
}
#endif

#endif
