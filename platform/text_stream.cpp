#include "platform/text_stream.h"

#include "platform/codepage.h"

namespace tf {
namespace {

class StreamTextReader : public TextReader {
  public:
    StreamTextReader(ByteSource source, std::function<void()> close)
        : source_(std::move(source)), close_(std::move(close)) {}
    ~StreamTextReader() override { Close(); }

    std::string ReadBytes(std::size_t n) override {
        if (AtEndOfStream())
            throw FsError("input past end of file");
        while (buffer_.size() - pos_ < n && Fill()) {
        }
        std::string out = buffer_.substr(pos_, n);
        pos_ += out.size();
        return out;
    }

    // A line ends at LF; a CR before it belongs to the line end.
    std::string ReadLine() override {
        if (AtEndOfStream())
            throw FsError("input past end of file");
        std::size_t end = buffer_.find('\n', pos_);
        while (end == std::string::npos && Fill())
            end = buffer_.find('\n', pos_);
        std::string line =
            buffer_.substr(pos_, end == std::string::npos ? std::string::npos : end - pos_);
        pos_ = end == std::string::npos ? buffer_.size() : end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        return AnsiToUtf8(line);
    }

    bool AtEndOfStream() override { return pos_ >= buffer_.size() && !Fill(); }

    void Close() override {
        if (close_) {
            auto close = std::move(close_);
            close_ = nullptr;
            close();
        }
    }

  private:
    // Appends the next piece of the file; false at its end.
    bool Fill() {
        if (ended_ || !source_)
            return false;
        if (pos_ > 0) { // what was read is not needed again
            buffer_.erase(0, pos_);
            pos_ = 0;
        }
        char chunk[16384];
        const std::size_t got = source_(chunk, sizeof chunk);
        if (got == 0) {
            ended_ = true;
            return false;
        }
        buffer_.append(chunk, got);
        return true;
    }

    ByteSource source_;
    std::function<void()> close_;
    std::string buffer_;
    std::size_t pos_ = 0;
    bool ended_ = false;
};

} // namespace

std::unique_ptr<TextReader> MakeTextReader(ByteSource source, std::function<void()> close) {
    return std::make_unique<StreamTextReader>(std::move(source), std::move(close));
}

std::unique_ptr<TextReader> MakeTextReader(std::string bytes) {
    auto data = std::make_shared<std::string>(std::move(bytes));
    auto offset = std::make_shared<std::size_t>(0);
    return MakeTextReader([data, offset](char *buffer, std::size_t size) {
        const std::size_t n = data->copy(buffer, size, *offset);
        *offset += n;
        return n;
    });
}

} // namespace tf
