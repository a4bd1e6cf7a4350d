#include "library/Sonwerk_Projekt.h"

#include "library/project_writer.h"

#if defined(__GNUC__) && !defined(_WIN32)
#define SONWERK_EXPORT __attribute__((visibility("default")))
#else
#define SONWERK_EXPORT // the .def file names the export on Windows
#endif

extern "C" SONWERK_EXPORT int32_t SONWERK_CALL Projektdatei_erstellen(char *source, char *target,
                                                                      char *name, char *code) {
    // create_project_file is noexcept: nothing unwinds into a C or VB caller.
    return static_cast<int32_t>(tf::create_project_file(source, target, name, code));
}
