// libFuzzer target: any bytes as a project file go through the converter's
// `info`, which must tell a holding structure from a broken one and nothing
// else, and write nothing.
#include "fuzz_scratch.h"
#include "library/cli/cli.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    // The report is not looked at; only the status and what is left.
    std::cout.rdbuf(nullptr);
    std::cerr.rdbuf(nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string path = tf::fuzz::Input("show.kpf", data, size);
    const int status = tf::cli::run_info(path);
    if (status != tf::cli::kOk && status != tf::cli::kBrokenProjectFile) {
        std::fprintf(stderr, "info gave status %d for a readable file\n", status);
        std::abort();
    }
    tf::fuzz::ExpectOnly(path);
    return 0;
}
