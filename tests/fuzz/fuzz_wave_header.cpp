// libFuzzer target: any bytes as a wave file go through the header check, the
// audio search and the streaming writer, and the result must equal the plain
// reference model byte for byte.
#include "library/project_format.h"
#include "library/project_writer.h"
#include "library/wave_header.h"
#include "library_test_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

tf::test::Bytes fuzz_reference(const tf::test::Bytes &wave, const std::string &name,
                               const std::string &code);

namespace {

// A read-only stream over the input that, like a real file, lets the reader
// seek past its end.
struct MemoryStream {
    const std::uint8_t *data;
    std::size_t size;
    std::size_t pos = 0;

    static ssize_t read(void *c, char *buf, size_t n) {
        auto &s = *static_cast<MemoryStream *>(c);
        const std::size_t left = s.pos < s.size ? s.size - s.pos : 0;
        const std::size_t k = n < left ? n : left;
        std::memcpy(buf, s.data + s.pos, k);
        s.pos += k;
        return static_cast<ssize_t>(k);
    }
    static int seek(void *c, off64_t *offset, int whence) {
        auto &s = *static_cast<MemoryStream *>(c);
        const off64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? s.pos : s.size;
        if (base + *offset < 0) {
            return -1;
        }
        s.pos = static_cast<std::size_t>(base + *offset);
        *offset = static_cast<off64_t>(s.pos);
        return 0;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    tf::WaveHeaderBytes header{};
    std::memcpy(header.data(), data, size < header.size() ? size : header.size());
    (void)tf::check_wave_header(header);

    // The name comes from the input too, so the name rule sees every byte value.
    std::string name(30, ' ');
    for (std::size_t i = 0; i < 30 && 44 + i < size; ++i) {
        name[i] = static_cast<char>(data[44 + i]);
    }
    const std::string code = "0120";

    MemoryStream in{data, size};
    std::FILE *src = fopencookie(
        &in, "r", cookie_io_functions_t{MemoryStream::read, nullptr, MemoryStream::seek, nullptr});
    char *out_data = nullptr;
    std::size_t out_size = 0;
    std::FILE *dst = open_memstream(&out_data, &out_size);
    const auto layout = tf::read_source_layout(src);
    if (!layout) {
        std::abort(); // a memory source never fails to read
    }
    std::vector<std::uint8_t> buffer(4096); // small blocks: many block boundaries
    std::string ruled = name;
    for (auto &c : ruled) {
        c = static_cast<char>(tf::name_byte(static_cast<std::uint8_t>(c)));
    }
    const tf::Result r =
        tf::write_project(src, *layout, dst, ruled.data(), code.data(), buffer, {});
    std::fclose(src);
    std::fclose(dst);

    const tf::test::Bytes expected = fuzz_reference(tf::test::Bytes(data, data + size), name, code);
    if (r != tf::Result::Done || out_size != expected.size() ||
        std::memcmp(out_data, expected.data(), out_size) != 0) {
        std::fprintf(stderr, "mismatch: result %d, %zu bytes, expected %zu\n", static_cast<int>(r),
                     out_size, expected.size());
        std::abort();
    }
    std::free(out_data);
    return 0;
}
