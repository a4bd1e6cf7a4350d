#pragma once
// Where this copy of the program keeps its settings file.

#include "platform/services.h"

#include <string>

namespace tf {

// The per-user settings file of the running copy, used where its program
// folder cannot be written; "" when the user's data folder is unknown. Each
// program folder has its own, so copies in different folders never share one.
std::string UserSettingsFile(AppPaths &paths);

} // namespace tf
