/*
 * vardo_sdk.h - the outside-program interface of Vardo.
 *
 * Vardo and outside programs exchange small records through named shared
 * memory. A registry of six entries names every record set; each record set
 * is one shared-memory object of `count` records of `recordSize` bytes and,
 * optionally, a named mutex that guards it. Every named object NAME lives as
 * the POSIX shared-memory object "/vardo-sdk.NAME" (the environment variable
 * VARDO_SDK_PREFIX replaces "vardo-sdk", so that tests stay apart).
 *
 * Vardo started with -s creates four record sets of one 12-byte record:
 *   "Command"  (mutex "CMD")  outside program -> Vardo: vardo_command_record
 *   "Position" (mutex "POS")  Vardo -> outside program: vardo_position_record
 *   "Status"   (mutex "STS")  Vardo -> outside program: vardo_status_record
 *   "Ball"     (mutex "BAL")  created and released only
 *
 * Two layers:
 *  - the registry operations (vardo_registry_init ... vardo_write_record),
 *    which work on any record set;
 *  - a convenience layer (vardo_sdk_connect ... vardo_sdk_disconnect) that
 *    opens Vardo's three record sets and sends commands / reads records.
 *
 * Every function is safe to call from several threads of one process.
 * Link with -lvardo_sdk (pkg-config: vardo_sdk).
 */
#ifndef VARDO_SDK_H
#define VARDO_SDK_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(VARDO_SDK_BUILDING)
#define VARDO_SDK_API __attribute__((visibility("default")))
#else
#define VARDO_SDK_API
#endif

/* Results of the registry operations. Non-negative results are done (or a
 * slot number 0..5). */
enum {
    VARDO_SDK_OK = 0,
    VARDO_SDK_FAILED = -1,       /* no mapping, registry not lockable, wait failed */
    VARDO_SDK_BAD_ARGUMENT = -2, /* bad name, slot, index or lock request; not found */
    VARDO_SDK_NO_SLOT = -3,      /* all six registry entries are in use */
    VARDO_SDK_NO_MAPPING = -4,   /* object cannot be created/opened, or a bad buffer */
    VARDO_SDK_TIMEOUT = -6,      /* the record set's mutex was not had in time */
    VARDO_SDK_NOT_IN_USE = -7,   /* the registry entry was released meanwhile */
    VARDO_SDK_ABANDONED = -8     /* the mutex's owner died; it is usable again */
};

enum {
    VARDO_SDK_SLOTS = 6,
    VARDO_SDK_MAX_NAME = 31, /* characters of a name, without the zero */
    VARDO_SDK_REGISTRY_BYTES = 456,
    VARDO_SDK_ENTRY_BYTES = 76,
    VARDO_SDK_LOCK = -1, /* the `lock` argument: take the set's mutex */
    VARDO_SDK_NO_LOCK = 0
};

/* Names of the registry's own objects and of Vardo's record sets. */
#define VARDO_SDK_REGISTRY_NAME "SMemoryDllManagementSystemTableName"
#define VARDO_SDK_REGISTRY_MUTEX "SMemoryDllManagementSystemMutexName"
#define VARDO_SDK_COMMAND "Command"
#define VARDO_SDK_COMMAND_MUTEX "CMD"
#define VARDO_SDK_POSITION "Position"
#define VARDO_SDK_POSITION_MUTEX "POS"
#define VARDO_SDK_STATUS "Status"
#define VARDO_SDK_STATUS_MUTEX "STS"
#define VARDO_SDK_BALL "Ball"
#define VARDO_SDK_BALL_MUTEX "BAL"

/* Flag byte of the records. */
enum {
    VARDO_SDK_FLAG_NEW = 1,  /* the writer put new data there */
    VARDO_SDK_FLAG_TAKEN = 2 /* Vardo took the command */
};

/* One registry entry as it is stored (76 bytes, little-endian). */
typedef struct vardo_registry_entry {
    char mappingName[32];
    char mutexName[32];
    int16_t hasMutex;
    int16_t inUse;
    int32_t recordSize;
    int32_t recordCount;
} vardo_registry_entry;

/* "Command": code and value as listed in the user guide. */
typedef struct vardo_command_record {
    uint8_t flag;
    uint8_t unused[3];
    int32_t code;
    int32_t value;
} vardo_command_record;

/* "Position": the controlled train (x, y on the 640 x 480 layout picture,
 * laps, angle 0..359), or in bounding-box mode left, top, right, bottom of
 * everything the detection found (camera pixels). */
typedef struct vardo_position_record {
    uint8_t flag;
    uint8_t unused[3];
    int16_t x;     /* or left */
    int16_t y;     /* or top */
    int16_t laps;  /* or right */
    int16_t angle; /* or bottom */
} vardo_position_record;

/* "Status": the controller state bits: running 2, backward 4, point1 8,
 * point2 16, point3 32, point4 64, automatic-operation lamp 128. */
typedef struct vardo_status_record {
    uint8_t flag;
    uint8_t unused[3];
    int16_t state;
    uint8_t unused2[6];
} vardo_status_record;

/* ---- Registry operations (all results are 16-bit) ---- */

/* Opens the registry and its mutex, creating both (all zero) when the
 * registry does not exist yet. 0 or VARDO_SDK_FAILED. */
VARDO_SDK_API int16_t vardo_registry_init(void);

/* Creates a record set of `count` records of `recordSize` bytes, and the
 * mutex `mutexName` unless it is NULL or empty. Names are 1..31 characters,
 * differ from each other and from every name of an entry in use (-2); an
 * entry whose creating process no longer exists is taken over. Returns the
 * slot 0..5, -3 when all entries are in use, -4 when an object cannot be
 * created, -1 when the registry cannot be locked within 5 s. */
VARDO_SDK_API int16_t vardo_create_record_set(const char* name, const char* mutexName,
                                              int32_t recordSize, int32_t count);

/* Opens the record set named `name`: its slot, -2 when there is none, -4 when
 * its objects cannot be opened. */
VARDO_SDK_API int16_t vardo_open_record_set(const char* name);

/* Closes this process's handles of the slot. When no other living process
 * holds the set any more, the entry is cleared and the objects removed.
 * 0, or -2 for a slot this process has not open. */
VARDO_SDK_API int16_t vardo_close_record_set(int16_t slot);

/* Copies record `index` (1..count) out of / into the set. `lock` is
 * VARDO_SDK_LOCK (take the set's mutex first, waiting at most timeoutMs;
 * negative = no limit) or VARDO_SDK_NO_LOCK. A destination or source that is
 * not writable/readable memory gives -4 and nothing is copied. After -8 the
 * mutex is consistent again and nothing was copied: call again. */
VARDO_SDK_API int16_t vardo_read_record(int16_t slot, void* destination, int32_t index,
                                        int32_t lock, int32_t timeoutMs);
VARDO_SDK_API int16_t vardo_write_record(int16_t slot, const void* source, int32_t index,
                                         int32_t lock, int32_t timeoutMs);

/* A copy of registry entry `slot` (0..5) as stored now; 0, -1 or -2. */
VARDO_SDK_API int16_t vardo_registry_entry_get(int16_t slot, vardo_registry_entry* entry);

/* The process id that created the set in `slot` and how many living
 * processes hold it (both 0 for a free entry); 0, -1 or -2. */
VARDO_SDK_API int16_t vardo_registry_holders(int16_t slot, int32_t* creatorPid,
                                             int32_t* holderCount);

/* Closes every set this process holds and the registry handles. */
VARDO_SDK_API void vardo_registry_close(void);

/* ---- Convenience layer ---- */

typedef struct vardo_sdk vardo_sdk;

/* Opens the registry and Vardo's Command, Position and Status sets.
 * NULL when Vardo's interface is not running. */
VARDO_SDK_API vardo_sdk* vardo_sdk_connect(void);

/* Writes a new command and waits until Vardo has taken it (its flag is 2) or
 * timeoutMs passed (negative: no limit). VARDO_SDK_OK, VARDO_SDK_TIMEOUT,
 * or another negative result of the registry operations. */
VARDO_SDK_API int vardo_sdk_send(vardo_sdk* sdk, int32_t code, int32_t value, int32_t timeoutMs);

/* Reads the Position / Status record. Returns 1 when it holds data not read
 * before (its flag was 1; it is cleared now), 0 when nothing new came since
 * the last read (the record is copied all the same), or a negative result. */
VARDO_SDK_API int vardo_sdk_read_position(vardo_sdk* sdk, vardo_position_record* position);
VARDO_SDK_API int vardo_sdk_read_status(vardo_sdk* sdk, vardo_status_record* status);

/* Closes the three sets and frees `sdk` (NULL is allowed). */
VARDO_SDK_API void vardo_sdk_disconnect(vardo_sdk* sdk);

#ifdef __cplusplus
}
#endif

#endif /* VARDO_SDK_H */
