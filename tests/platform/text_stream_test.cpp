// The text reader pulls only what it is asked for and reports a read error.

#include "platform/text_stream.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tf {
namespace {

// A file of `size` bytes 'a'..'z' with a line end every 10 bytes, counting
// how much of it was pulled.
struct CountingSource {
    std::size_t size;
    std::size_t pulled = 0;
    bool fail_after_first = false;
    int calls = 0;
    std::size_t Read(char *buffer, std::size_t n) {
        if (fail_after_first && calls++ > 0)
            throw FsError("read failed");
        const std::size_t got = std::min(n, size - pulled);
        for (std::size_t i = 0; i < got; ++i) {
            const std::size_t at = pulled + i;
            buffer[i] = at % 10 == 9 ? '\n' : static_cast<char>('a' + at % 26);
        }
        pulled += got;
        return got;
    }
};

TEST(TextStream, ReadingAHeaderDoesNotReadTheWholeFile) {
    CountingSource src{std::size_t{1} << 30}; // 1 GiB, never materialised
    auto reader = MakeTextReader([&](char *b, std::size_t n) { return src.Read(b, n); });
    EXPECT_EQ(reader->ReadBytes(44).size(), 44u);
    EXPECT_LT(src.pulled, std::size_t{1} << 20);
}

TEST(TextStream, LinesAndBytesAcrossPieces) {
    CountingSource src{40005};
    auto reader = MakeTextReader([&](char *b, std::size_t n) { return src.Read(b, n); });
    EXPECT_EQ(reader->ReadLine(), "abcdefghi");
    EXPECT_EQ(reader->ReadBytes(3), "klm");
    std::size_t lines = 1;
    while (!reader->AtEndOfStream()) {
        reader->ReadLine();
        ++lines;
    }
    EXPECT_EQ(lines, 4001u); // 4000 full lines and the unterminated rest
}

TEST(TextStream, AReadErrorIsAFailureNotAnEnd) {
    CountingSource src{100000};
    src.fail_after_first = true;
    auto reader = MakeTextReader([&](char *b, std::size_t n) { return src.Read(b, n); });
    EXPECT_THROW(reader->ReadBytes(50000), FsError);
}

TEST(TextStream, CloseRunsOnceAndAtDestruction) {
    int closed = 0;
    {
        auto reader =
            MakeTextReader([](char *, std::size_t) { return std::size_t{0}; }, [&] { ++closed; });
        EXPECT_TRUE(reader->AtEndOfStream());
        reader->Close();
        reader->Close();
    }
    EXPECT_EQ(closed, 1);
    {
        auto reader =
            MakeTextReader([](char *, std::size_t) { return std::size_t{0}; }, [&] { ++closed; });
    }
    EXPECT_EQ(closed, 2);
}

} // namespace
} // namespace tf
