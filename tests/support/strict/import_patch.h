#pragma once
// The strict layer's one mechanism: a test program replaces a Win32 function
// in its own import table. The product code is linked statically into the
// test program and calls Win32 through that table, so it meets the
// replacement; calls made inside system DLLs are not affected, as with
// Application Verifier's shims on the calling module.

namespace tf::testing::strict {

// Points this program's import of `function` from `dll` (case-insensitive,
// "KERNEL32.dll") at `replacement` and gives the previous target, which the
// replacement calls on. Null when the program does not import the function.
// Patching one function twice chains: the second replacement gets the first.
void *PatchImport(const char *dll, const char *function, void *replacement);

// Typed form: `original` receives the previous target.
template <typename F>
bool Patch(const char *dll, const char *function, F replacement, F &original) {
    void *previous = PatchImport(dll, function, reinterpret_cast<void *>(replacement));
    if (!previous)
        return false;
    original = reinterpret_cast<F>(previous);
    return true;
}

} // namespace tf::testing::strict
