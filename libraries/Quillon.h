/* Memory component library "Libraries/Quillon.so": entry points, bound by name at start.
   Amounts are signed 64-bit byte counts. */
#ifndef VELMORA_LIBRARIES_QUILLON_H
#define VELMORA_LIBRARIES_QUILLON_H

#include <stdbool.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef int64_t (*TFreePhysicalMemory)(void);
typedef int64_t (*TAllPhysicalMemory)(void);
typedef int64_t (*TUsedPhysicalMemory)(void);
typedef int64_t (*TFreePageFile)(void);
typedef int64_t (*TAllPageFile)(void);
typedef int64_t (*TUsedPageFile)(void);
typedef int64_t (*TFreeVirtualMemory)(void);
typedef int64_t (*TAllVirtualMemory)(void);
typedef int64_t (*TUsedVirtualMemory)(void);
/* Takes the free physical memory except `safety` bytes; `freeBefore` is the free physical memory
   the caller measured just before. */
typedef void (*TconsumeNow)(bool report, int64_t freeBefore, int64_t safety);
/* Returns everything consumeNow took. */
typedef void (*TFreeMemory)(bool report);
/* While on, each error of a run is appended to "Database/MemoryError.txt". */
typedef void (*TSetDebugMode)(bool on);

#ifdef QUILLON_IMPLEMENTATION
#define QUILLON_EXPORT __attribute__((visibility("default")))
QUILLON_EXPORT int64_t FreePhysicalMemory(void);
QUILLON_EXPORT int64_t AllPhysicalMemory(void);
QUILLON_EXPORT int64_t UsedPhysicalMemory(void);
QUILLON_EXPORT int64_t FreePageFile(void);
QUILLON_EXPORT int64_t AllPageFile(void);
QUILLON_EXPORT int64_t UsedPageFile(void);
QUILLON_EXPORT int64_t FreeVirtualMemory(void);
QUILLON_EXPORT int64_t AllVirtualMemory(void);
QUILLON_EXPORT int64_t UsedVirtualMemory(void);
QUILLON_EXPORT void consumeNow(bool report, int64_t freeBefore, int64_t safety);
QUILLON_EXPORT void FreeMemory(bool report);
QUILLON_EXPORT void SetDebugMode(bool on);
#endif

/* ---- For tests only; the program never binds these. ---- */
/* Caps what one consumeNow run may take, in bytes; a negative cap removes it. */
typedef void (*TSetConsumeCapForTests)(int64_t bytes);
#ifdef QUILLON_IMPLEMENTATION
QUILLON_EXPORT void SetConsumeCapForTests(int64_t bytes);
#endif

#ifdef __cplusplus
}
#endif

#endif
