#include "platform/text_stream.h"

#include "platform/codepage.h"

namespace tf {
namespace {

class BytesTextReader : public TextReader {
  public:
    explicit BytesTextReader(std::string bytes) : bytes_(std::move(bytes)) {}

    std::string ReadBytes(std::size_t n) override {
        if (AtEndOfStream())
            throw FsError("input past end of file");
        std::string out = bytes_.substr(pos_, n);
        pos_ += out.size();
        return out;
    }

    // A line ends at LF; a CR before it belongs to the line end.
    std::string ReadLine() override {
        if (AtEndOfStream())
            throw FsError("input past end of file");
        const std::size_t end = bytes_.find('\n', pos_);
        std::string line = bytes_.substr(pos_, end == std::string::npos ? std::string::npos : end - pos_);
        pos_ = end == std::string::npos ? bytes_.size() : end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        return AnsiToUtf8(line);
    }

    bool AtEndOfStream() override { return pos_ >= bytes_.size(); }
    void Close() override {}

  private:
    std::string bytes_;
    std::size_t pos_ = 0;
};

} // namespace

std::unique_ptr<TextReader> MakeTextReader(std::string bytes) {
    return std::make_unique<BytesTextReader>(std::move(bytes));
}

} // namespace tf
