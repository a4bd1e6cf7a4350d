// A caller of the library as a program of either width sees it: loads
// Sonwerk_Projekt.dll by file name through the ordinary search, looks up the
// plain export and calls it as __stdcall.
//   dll_caller WAVE TARGET     exit 0 when the call returned -4 and rewrote the name
#include "library/Sonwerk_Projekt.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

using Entry = int32_t(SONWERK_CALL *)(char *, char *, char *, char *);

// A wrong calling convention leaves the stack pointer off by the 16 argument
// bytes after the call; that may not crash at once, so it is looked at.
int32_t call_checked(Entry entry, char *source, char *target, char *name, char *code,
                     bool &stack_kept) {
#if defined(__i386__)
    void *before = nullptr;
    void *after = nullptr;
    asm volatile("mov %%esp, %0" : "=r"(before));
    const int32_t result = entry(source, target, name, code);
    asm volatile("mov %%esp, %0" : "=r"(after));
    stack_kept = before == after;
    return result;
#else
    stack_kept = true;
    return entry(source, target, name, code);
#endif
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: dll_caller WAVE TARGET\n");
        return 2;
    }
    HMODULE module = LoadLibraryA("Sonwerk_Projekt.dll");
    auto entry = module ? reinterpret_cast<Entry>(reinterpret_cast<void *>(
                              GetProcAddress(module, "Projektdatei_erstellen")))
                        : nullptr;
    if (!entry) {
        std::fprintf(stderr, "Sonwerk_Projekt.dll or its export not found\n");
        return 1;
    }
    std::string source = argv[1], target = argv[2];
    std::string name = "Gr\xFC\xDF"
                       "e\t" +
                       std::string(24, 'x'); // Windows-1252, as the program passes it
    std::string code = "0120";
    bool stack_kept = false;
    const int32_t result =
        call_checked(entry, source.data(), target.data(), name.data(), code.data(), stack_kept);
    const bool name_rewritten = name == "Gr\xF5 e " + std::string(24, 'x');
    std::printf("%d-bit caller: result %d, stack %s, name %s\n",
                static_cast<int>(sizeof(void *) * 8), static_cast<int>(result),
                stack_kept ? "kept" : "MOVED", name_rewritten ? "rewritten" : "NOT REWRITTEN");
    return result == -4 && stack_kept && name_rewritten ? 0 : 1;
}
