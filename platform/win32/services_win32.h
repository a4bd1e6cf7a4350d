#pragma once
// The Win32 implementations of the platform services, for the WinMain files
// to wire into the windows. No Windows header is needed to use them.

#include "platform/filesystem.h"
#include "platform/services.h"
#include "platform/ui/file_dialog.h"

#include <memory>
#include <string>

namespace tf::win32 {

std::unique_ptr<FileSystem> MakeFileSystem();
std::unique_ptr<MessageBoxes> MakeMessageBoxes();
std::unique_ptr<ui::FileDialogService> MakeFileDialogs();
std::unique_ptr<Clock> MakeClock();
std::unique_ptr<EventPump> MakeEventPump();
std::unique_ptr<MciApi> MakeMci();
std::unique_ptr<CursorApi> MakeCursorApi();
std::unique_ptr<ProcessStarter> MakeProcessStarter();
std::unique_ptr<Registry> MakeRegistry();
std::unique_ptr<ShellApi> MakeShellApi();
std::unique_ptr<AppPaths> MakeAppPaths();
std::unique_ptr<Locale> MakeLocale();
// Loads "Sonwerk_Projekt.dll" from the program's folder or the system folder only.
std::unique_ptr<ConversionLibrary> MakeConversionLibrary();

// The full path of the running program's file, however long; "" should
// Windows not give it.
std::wstring ProgramPath();

} // namespace tf::win32
