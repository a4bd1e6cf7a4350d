// The reference model for the fuzz target, compiled without coverage
// instrumentation: its byte loops would otherwise dominate every run.
#include "library_test_support.h"

tf::test::Bytes fuzz_reference(const tf::test::Bytes &wave, const std::string &name,
                               const std::string &code) {
    return tf::test::reference_project(wave, name, code);
}
