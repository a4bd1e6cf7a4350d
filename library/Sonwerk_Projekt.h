// The conversion library's one export, as callers declare it.
#pragma once

#include <stdint.h>

// __stdcall is what 32-bit callers declare; x86-64 has one convention and
// ignores it.
#ifdef _WIN32
#define SONWERK_CALL __stdcall
#else
#define SONWERK_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Writes the project file `target` from the wave file `source`. `name` (30
// bytes, no terminator needed) is rewritten in place by the name rule; `code`
// (4 bytes) goes into the header unchanged. Returns −4 on success, −1 source not
// opened or not a regular file, −2 target not created or refused, −3 source
// close failed (file complete), −5 read or write failure (incomplete target
// removed; through a link, the file it leads to).
int32_t SONWERK_CALL Projektdatei_erstellen(char *source, char *target, char *name, char *code);

#ifdef __cplusplus
}
#endif
