/* Temperature component library "Libraries/Sorrelin.so": entry points, bound by name at start.
   Temperatures are degrees Celsius; 0 means no reading. */
#ifndef VELMORA_LIBRARIES_SORRELIN_H
#define VELMORA_LIBRARIES_SORRELIN_H

#include <stdbool.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Temperature of core index + 1 (index 0..7); 0 when there is no such core or no reading. */
typedef double (*TGetCoreTempTemperature)(uint8_t index);
/* Average processor temperature; 0 when there is no reading. */
typedef double (*TGetCoreTempAverageTemperature)(void);
/* True exactly when a processor temperature sensor can be read. */
typedef bool (*TCoreTempStarted)(void);

#ifdef SORRELIN_IMPLEMENTATION
#define SORRELIN_EXPORT __attribute__((visibility("default")))
SORRELIN_EXPORT double GetCoreTempTemperature(uint8_t index);
SORRELIN_EXPORT double GetCoreTempAverageTemperature(void);
SORRELIN_EXPORT bool CoreTempStarted(void);
#endif

/* ---- For tests only; the program never binds this. ---- */
/* Reads the sensors below `root` in place of the file system root ("" or NULL: the real one). */
typedef void (*TSetSensorRootForTests)(const char* root);
#ifdef SORRELIN_IMPLEMENTATION
SORRELIN_EXPORT void SetSensorRootForTests(const char* root);
#endif

#ifdef __cplusplus
}
#endif

#endif
