// The Windows backend: Media Foundation, which every Windows has, so nothing
// is shipped. The Source Reader only decodes (to float at the file's own
// rate): its own rate conversion is missing under Wine and of unknown quality
// elsewhere, so the rate is converted by the Audio Resampler DSP, asked for
// its longest filter.
#include "library/prepare/audio_backend.h"
#include "library/prepare/wave_file.h"

#include <windows.h>

#include <mfapi.h>
#include <mferror.h>
#include <mfidl.h>
#include <mfreadwrite.h>
#include <mftransform.h>
#include <wmcodecdsp.h>
#include <wrl/client.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>

using Microsoft::WRL::ComPtr;

// The resampler's quality switch; the MinGW headers do not declare it.
MIDL_INTERFACE("E7E9984F-F09F-4da4-903F-6E2E0EFE56B5")
IWMResamplerProps : public IUnknown {
  public:
    virtual HRESULT STDMETHODCALLTYPE SetHalfFilterLength(LONG length) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetUserChannelMtx(float *matrix) = 0;
};
__CRT_UUID_DECL(IWMResamplerProps, 0xe7e9984f, 0xf09f, 0x4da4, 0x90, 0x3f, 0x6e, 0x2e, 0x0e, 0xfe,
                0x56, 0xb5)

namespace tf::audio {

namespace {

// The longest filter the resampler offers, its highest quality.
constexpr LONG kHalfFilterLength = 60;
// Media Foundation counts time in 100 ns units.
constexpr double kTicksPerSecond = 1e7;

std::string hresult_text(const char *what, HRESULT hr) {
    char text[96];
    std::snprintf(text, sizeof text, "%s failed: 0x%08lX", what, static_cast<unsigned long>(hr));
    return text;
}

// Media Foundation is looked up when first needed instead of imported: the
// editions of Windows sold without it (N and KN) must still start the
// programs, with only the preparation unavailable. Only the system folder's
// copies are loaded, never one lying beside a file being opened.
struct MediaFoundationApi {
    decltype(&::MFStartup) Startup = nullptr;
    decltype(&::MFShutdown) Shutdown = nullptr;
    decltype(&::MFCreateMediaType) CreateMediaType = nullptr;
    decltype(&::MFCreateSample) CreateSample = nullptr;
    decltype(&::MFCreateMemoryBuffer) CreateMemoryBuffer = nullptr;
    decltype(&::MFCreateSourceReaderFromURL) CreateSourceReaderFromURL = nullptr;

    bool complete() const {
        return Startup && Shutdown && CreateMediaType && CreateSample && CreateMemoryBuffer &&
               CreateSourceReaderFromURL;
    }
};

HMODULE load_system_library(const wchar_t *name) {
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return nullptr;
    }
    return LoadLibraryW((std::wstring(folder, length) + L"\\" + name).c_str());
}

template <class Function> void find(HMODULE module, const char *name, Function &function) {
    const FARPROC found = module ? GetProcAddress(module, name) : nullptr;
    static_assert(sizeof found == sizeof function);
    std::memcpy(&function, &found, sizeof function);
}

// Loaded once for the process and kept; all null when Media Foundation is missing.
const MediaFoundationApi &mf() {
    static const MediaFoundationApi api = [] {
        MediaFoundationApi loaded;
        const HMODULE plat = load_system_library(L"mfplat.dll");
        const HMODULE readwrite = load_system_library(L"mfreadwrite.dll");
        find(plat, "MFStartup", loaded.Startup);
        find(plat, "MFShutdown", loaded.Shutdown);
        find(plat, "MFCreateMediaType", loaded.CreateMediaType);
        find(plat, "MFCreateSample", loaded.CreateSample);
        find(plat, "MFCreateMemoryBuffer", loaded.CreateMemoryBuffer);
        find(readwrite, "MFCreateSourceReaderFromURL", loaded.CreateSourceReaderFromURL);
        return loaded.complete() ? loaded : MediaFoundationApi{};
    }();
    return api;
}

// COM and Media Foundation for the lifetime of one decoder or resampler, on
// the thread that made it. A thread whose COM is already set up (the desktop
// program's, apartment threaded for its shell links) keeps it as it is: only
// what this guard itself started is undone.
class MediaRuntime {
  public:
    MediaRuntime() {
        const HRESULT co = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        com_started_ = SUCCEEDED(co); // S_FALSE counts too: it must be balanced
        com_usable_ = com_started_ || co == RPC_E_CHANGED_MODE;
        if (!mf().complete()) {
            mf_result_ = HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
        } else if (com_usable_) {
            mf_result_ = mf().Startup(MF_VERSION, MFSTARTUP_LITE);
        }
    }
    ~MediaRuntime() {
        if (SUCCEEDED(mf_result_)) {
            mf().Shutdown();
        }
        if (com_started_) {
            CoUninitialize();
        }
    }
    MediaRuntime(const MediaRuntime &) = delete;
    MediaRuntime &operator=(const MediaRuntime &) = delete;

    HRESULT status() const { return com_usable_ ? mf_result_ : CO_E_NOTINITIALIZED; }

  private:
    bool com_started_ = false;
    bool com_usable_ = false;
    HRESULT mf_result_ = E_FAIL;
};

// Only a wave file stores plain samples. Wine's decoders hand out PCM for
// every format (16 bits for a 24-bit FLAC), so for anything else the decoded
// type says nothing about the depth the file holds.
bool is_wave_file(const std::wstring &path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    char head[12] = {};
    DWORD got = 0;
    const bool read = ReadFile(h, head, sizeof head, &got, nullptr) && got == sizeof head;
    CloseHandle(h);
    return read && (std::memcmp(head, "RIFF", 4) == 0 || std::memcmp(head, "RF64", 4) == 0) &&
           std::memcmp(head + 8, "WAVE", 4) == 0;
}

HRESULT make_float_type(std::uint32_t rate, std::uint32_t channels, ComPtr<IMFMediaType> &type) {
    const std::pair<const GUID *, UINT32> values[] = {
        {&MF_MT_AUDIO_NUM_CHANNELS, channels},
        {&MF_MT_AUDIO_SAMPLES_PER_SECOND, rate},
        {&MF_MT_AUDIO_BITS_PER_SAMPLE, 32},
        {&MF_MT_AUDIO_BLOCK_ALIGNMENT, 4 * channels},
        {&MF_MT_AUDIO_AVG_BYTES_PER_SECOND, 4 * channels * rate},
        {&MF_MT_ALL_SAMPLES_INDEPENDENT, TRUE}};
    HRESULT hr = mf().CreateMediaType(&type);
    if (SUCCEEDED(hr)) {
        hr = type->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Audio);
    }
    if (SUCCEEDED(hr)) {
        hr = type->SetGUID(MF_MT_SUBTYPE, MFAudioFormat_Float);
    }
    for (const auto &[key, value] : values) {
        if (SUCCEEDED(hr)) {
            hr = type->SetUINT32(*key, value);
        }
    }
    return hr;
}

SampleKind kind_of(IMFMediaType *native, bool wave_file) {
    GUID subtype{};
    if (!wave_file || FAILED(native->GetGUID(MF_MT_SUBTYPE, &subtype))) {
        return SampleKind::Compressed;
    }
    if (subtype == MFAudioFormat_Float) {
        return SampleKind::Float;
    }
    if (subtype != MFAudioFormat_PCM) {
        return SampleKind::Compressed;
    }
    switch (MFGetAttributeUINT32(native, MF_MT_AUDIO_BITS_PER_SAMPLE, 0)) {
    case 8:
        return SampleKind::Pcm8;
    case 16:
        return SampleKind::Pcm16;
    case 24:
        return SampleKind::Pcm24;
    case 32:
        return SampleKind::Pcm32;
    default:
        return SampleKind::Compressed;
    }
}

constexpr DWORD kAudio = static_cast<DWORD>(MF_SOURCE_READER_FIRST_AUDIO_STREAM);

class MediaFoundationDecoder final : public Decoder {
  public:
    // Makes the reader; the failure text is left in `detail` when it cannot.
    bool open(const std::wstring &path, std::string &detail);

    const StreamFormat &format() const override { return format_; }
    std::size_t read(float *out, std::size_t frames) override;
    bool failed() const override { return failed_; }

  private:
    bool take_next_sample();
    bool set_float_output(IMFMediaType *native, std::string &detail);
    std::optional<std::uint64_t> declared_frames();
    bool output_unchanged();

    MediaRuntime runtime_; // first in, last out: outlives every COM pointer below
    ComPtr<IMFSourceReader> reader_;
    StreamFormat format_;
    std::vector<float> pending_; // the rest of the last sample, not yet handed out
    std::size_t pending_at_ = 0;
    bool ended_ = false;
    bool failed_ = false;
};

bool MediaFoundationDecoder::open(const std::wstring &path, std::string &detail) {
    HRESULT hr = runtime_.status();
    if (FAILED(hr)) {
        detail = hresult_text("MFStartup", hr);
        return false;
    }
    hr = mf().CreateSourceReaderFromURL(path.c_str(), nullptr, &reader_);
    if (FAILED(hr)) {
        detail = hresult_text("MFCreateSourceReaderFromURL", hr);
        return false;
    }
    reader_->SetStreamSelection(static_cast<DWORD>(MF_SOURCE_READER_ALL_STREAMS), FALSE);
    hr = reader_->SetStreamSelection(kAudio, TRUE);
    ComPtr<IMFMediaType> native;
    if (SUCCEEDED(hr)) {
        hr = reader_->GetNativeMediaType(kAudio, 0, &native);
    }
    if (FAILED(hr)) {
        detail = hresult_text("no audio stream: GetNativeMediaType", hr);
        return false;
    }
    format_.rate = MFGetAttributeUINT32(native.Get(), MF_MT_AUDIO_SAMPLES_PER_SECOND, 0);
    format_.channels = MFGetAttributeUINT32(native.Get(), MF_MT_AUDIO_NUM_CHANNELS, 0);
    format_.kind = kind_of(native.Get(), is_wave_file(path));
    if (format_.rate == 0 || format_.channels == 0) {
        detail = "the audio stream declares no rate or no channels";
        return false;
    }
    if (!set_float_output(native.Get(), detail)) {
        return false;
    }
    format_.frames = declared_frames();
    return true;
}

// Float at the file's own rate and channel count, so the reader only decodes.
bool MediaFoundationDecoder::set_float_output(IMFMediaType *native, std::string &detail) {
    ComPtr<IMFMediaType> wanted;
    HRESULT hr = make_float_type(format_.rate, format_.channels, wanted);
    UINT32 mask = 0;
    if (SUCCEEDED(hr) && SUCCEEDED(native->GetUINT32(MF_MT_AUDIO_CHANNEL_MASK, &mask))) {
        hr = wanted->SetUINT32(MF_MT_AUDIO_CHANNEL_MASK, mask);
    }
    if (SUCCEEDED(hr)) {
        hr = reader_->SetCurrentMediaType(kAudio, nullptr, wanted.Get());
    }
    if (FAILED(hr)) {
        detail = hresult_text("float output: SetCurrentMediaType", hr);
        return false;
    }
    if (!output_unchanged()) {
        detail = "the reader's float output differs from the file's rate or channels";
        return false;
    }
    return true;
}

// A decoder may settle its format only once it has seen the stream (such as
// an AAC whose extension doubles the rate); float at the rate and channel
// count announced is all the reader may hand out.
bool MediaFoundationDecoder::output_unchanged() {
    ComPtr<IMFMediaType> current;
    GUID subtype{};
    return SUCCEEDED(reader_->GetCurrentMediaType(kAudio, &current)) &&
           SUCCEEDED(current->GetGUID(MF_MT_SUBTYPE, &subtype)) && subtype == MFAudioFormat_Float &&
           MFGetAttributeUINT32(current.Get(), MF_MT_AUDIO_SAMPLES_PER_SECOND, 0) == format_.rate &&
           MFGetAttributeUINT32(current.Get(), MF_MT_AUDIO_NUM_CHANNELS, 0) == format_.channels;
}

std::optional<std::uint64_t> MediaFoundationDecoder::declared_frames() {
    PROPVARIANT value;
    PropVariantInit(&value);
    std::optional<std::uint64_t> frames;
    if (SUCCEEDED(reader_->GetPresentationAttribute(
            static_cast<DWORD>(MF_SOURCE_READER_MEDIASOURCE), MF_PD_DURATION, &value)) &&
        value.vt == VT_UI8) {
        frames = static_cast<std::uint64_t>(std::llround(static_cast<double>(value.uhVal.QuadPart) *
                                                         format_.rate / kTicksPerSecond));
    }
    PropVariantClear(&value);
    return frames;
}

// Reads samples until one carries audio; false at the end or after a failure.
bool MediaFoundationDecoder::take_next_sample() {
    while (!ended_ && !failed_) {
        DWORD flags = 0;
        LONGLONG time = 0;
        ComPtr<IMFSample> sample;
        if (FAILED(reader_->ReadSample(kAudio, 0, nullptr, &flags, &time, &sample)) ||
            (flags & MF_SOURCE_READERF_ERROR) ||
            ((flags & MF_SOURCE_READERF_CURRENTMEDIATYPECHANGED) && !output_unchanged())) {
            failed_ = true; // a rate or channel count changed midway cannot be followed
            break;
        }
        ended_ = (flags & MF_SOURCE_READERF_ENDOFSTREAM) != 0;
        if (!sample) {
            continue; // a gap in the stream, or its end
        }
        ComPtr<IMFMediaBuffer> buffer;
        BYTE *data = nullptr;
        DWORD length = 0;
        if (FAILED(sample->ConvertToContiguousBuffer(&buffer)) ||
            FAILED(buffer->Lock(&data, nullptr, &length))) {
            failed_ = true;
            break;
        }
        pending_.assign(reinterpret_cast<const float *>(data),
                        reinterpret_cast<const float *>(data) + length / sizeof(float));
        buffer->Unlock();
        pending_at_ = 0;
        if (!pending_.empty()) {
            return true;
        }
    }
    return false;
}

std::size_t MediaFoundationDecoder::read(float *out, std::size_t frames) {
    const std::size_t channels = format_.channels;
    std::size_t given = 0;
    while (given < frames) {
        if (pending_at_ + channels > pending_.size() && !take_next_sample()) {
            break;
        }
        const std::size_t available = (pending_.size() - pending_at_) / channels;
        const std::size_t take = std::min(available, frames - given);
        std::copy_n(pending_.data() + pending_at_, take * channels, out + given * channels);
        pending_at_ += take * channels;
        given += take;
    }
    return given;
}

class MediaFoundationResampler final : public Resampler {
  public:
    MediaFoundationResampler(std::uint32_t from_rate, std::uint32_t to_rate, std::uint32_t channels)
        : from_rate_(from_rate), to_rate_(to_rate), channels_(channels) {}
    bool start();

    bool process(const float *in, std::size_t frames, std::vector<float> &out) override;
    bool finish(std::vector<float> &out) override;

  private:
    bool set_types();
    bool feed(const float *in, std::size_t frames, std::vector<float> &out);
    bool flush_with_silence(std::vector<float> &out, std::size_t finish_start);
    bool drain_output(std::vector<float> &out);
    bool append_sample(IMFSample *sample, std::vector<float> &out);

    MediaRuntime runtime_; // first in, last out: outlives every COM pointer below
    ComPtr<IMFTransform> transform_;
    ComPtr<IMFSample> output_; // ours when the transform does not hand out samples
    std::uint32_t from_rate_, to_rate_, channels_;
    std::uint64_t frames_in_ = 0;  // the caller's input
    std::uint64_t frames_fed_ = 0; // the caller's and the silence after it
    std::uint64_t frames_out_ = 0;
    bool failed_ = false;
};

// Room for this many output frames in each sample the resampler fills.
constexpr DWORD kOutputFrames = 8192;

bool MediaFoundationResampler::start() {
    if (FAILED(runtime_.status()) ||
        FAILED(CoCreateInstance(CLSID_CResamplerMediaObject, nullptr, CLSCTX_INPROC_SERVER,
                                __uuidof(IMFTransform),
                                reinterpret_cast<void **>(transform_.ReleaseAndGetAddressOf())))) {
        return false;
    }
    // Without the quality switch (Wine has none) the resampler's own filter is
    // what there is; still better than refusing the file.
    ComPtr<IWMResamplerProps> props;
    if (SUCCEEDED(transform_.As(&props))) {
        props->SetHalfFilterLength(kHalfFilterLength);
    }
    if (!set_types()) {
        return false;
    }
    MFT_OUTPUT_STREAM_INFO info{};
    if (FAILED(transform_->GetOutputStreamInfo(0, &info))) {
        return false;
    }
    if (!(info.dwFlags & MFT_OUTPUT_STREAM_PROVIDES_SAMPLES)) {
        const DWORD bytes = std::max<DWORD>(info.cbSize, kOutputFrames * 4 * channels_);
        ComPtr<IMFMediaBuffer> buffer;
        if (FAILED(mf().CreateSample(&output_)) ||
            FAILED(mf().CreateMemoryBuffer(bytes, &buffer)) ||
            FAILED(output_->AddBuffer(buffer.Get()))) {
            return false;
        }
    }
    transform_->ProcessMessage(MFT_MESSAGE_NOTIFY_BEGIN_STREAMING, 0);
    transform_->ProcessMessage(MFT_MESSAGE_NOTIFY_START_OF_STREAM, 0);
    return true;
}

bool MediaFoundationResampler::set_types() {
    ComPtr<IMFMediaType> in, out;
    return SUCCEEDED(make_float_type(from_rate_, channels_, in)) &&
           SUCCEEDED(make_float_type(to_rate_, channels_, out)) &&
           SUCCEEDED(transform_->SetInputType(0, in.Get(), 0)) &&
           SUCCEEDED(transform_->SetOutputType(0, out.Get(), 0));
}

bool MediaFoundationResampler::append_sample(IMFSample *sample, std::vector<float> &out) {
    ComPtr<IMFMediaBuffer> buffer;
    BYTE *data = nullptr;
    DWORD length = 0;
    if (FAILED(sample->ConvertToContiguousBuffer(&buffer)) ||
        FAILED(buffer->Lock(&data, nullptr, &length))) {
        return false;
    }
    const auto *first = reinterpret_cast<const float *>(data);
    out.insert(out.end(), first, first + length / sizeof(float));
    buffer->Unlock();
    frames_out_ += length / sizeof(float) / channels_;
    return true;
}

// Takes every frame the transform holds ready, until it asks for more input.
bool MediaFoundationResampler::drain_output(std::vector<float> &out) {
    for (;;) {
        ComPtr<IMFMediaBuffer> buffer;
        if (output_ && (FAILED(output_->GetBufferByIndex(0, &buffer)) ||
                        FAILED(buffer->SetCurrentLength(0)))) {
            return false;
        }
        MFT_OUTPUT_DATA_BUFFER data{};
        data.pSample = output_.Get();
        DWORD status = 0;
        const HRESULT hr = transform_->ProcessOutput(0, 1, &data, &status);
        ComPtr<IMFCollection> events;
        events.Attach(data.pEvents);
        ComPtr<IMFSample> given;
        if (!output_) {
            given.Attach(data.pSample);
        }
        if (hr == MF_E_TRANSFORM_NEED_MORE_INPUT) {
            return true;
        }
        if (FAILED(hr) || !data.pSample || !append_sample(data.pSample, out)) {
            return false;
        }
    }
}

bool MediaFoundationResampler::process(const float *in, std::size_t frames,
                                       std::vector<float> &out) {
    if (failed_ || frames == 0) {
        return !failed_;
    }
    frames_in_ += frames;
    failed_ = !feed(in, frames, out);
    return !failed_;
}

bool MediaFoundationResampler::feed(const float *in, std::size_t frames, std::vector<float> &out) {
    const DWORD bytes = static_cast<DWORD>(frames * channels_ * sizeof(float));
    ComPtr<IMFSample> sample;
    ComPtr<IMFMediaBuffer> buffer;
    BYTE *data = nullptr;
    if (FAILED(mf().CreateSample(&sample)) || FAILED(mf().CreateMemoryBuffer(bytes, &buffer)) ||
        FAILED(buffer->Lock(&data, nullptr, nullptr))) {
        return false;
    }
    std::memcpy(data, in, bytes);
    buffer->Unlock();
    const auto time = [this](std::uint64_t f) {
        return static_cast<LONGLONG>(std::llround(f * kTicksPerSecond / from_rate_));
    };
    const bool made =
        SUCCEEDED(buffer->SetCurrentLength(bytes)) && SUCCEEDED(sample->AddBuffer(buffer.Get())) &&
        SUCCEEDED(sample->SetSampleTime(time(frames_fed_))) &&
        SUCCEEDED(sample->SetSampleDuration(time(frames_fed_ + frames) - time(frames_fed_)));
    HRESULT hr = made ? transform_->ProcessInput(0, sample.Get(), 0) : E_FAIL;
    if (hr == MF_E_NOTACCEPTING) {
        hr = drain_output(out) ? transform_->ProcessInput(0, sample.Get(), 0) : E_FAIL;
    }
    frames_fed_ += frames;
    return SUCCEEDED(hr) && drain_output(out);
}

// Wine's transform ignores the drain and keeps the filter's last frames; the
// silence that follows the end pushes them out as a drain would, and the
// output is cut at the exact rate ratio, as every other resampler gives it.
bool MediaFoundationResampler::flush_with_silence(std::vector<float> &out,
                                                  std::size_t finish_start) {
    constexpr std::size_t kSilenceFrames = 1024;
    constexpr int kMostRounds = 64; // a transform that never gives them back
    const std::uint64_t expected = (frames_in_ * to_rate_ + from_rate_ / 2) / from_rate_;
    if (frames_out_ < expected) {
        transform_->ProcessMessage(MFT_MESSAGE_NOTIFY_START_OF_STREAM, 0);
        const std::vector<float> silence(kSilenceFrames * channels_, 0.0f);
        for (int round = 0; round < kMostRounds && frames_out_ < expected; ++round) {
            if (!feed(silence.data(), kSilenceFrames, out)) {
                return false;
            }
        }
    }
    const std::uint64_t excess = frames_out_ > expected ? frames_out_ - expected : 0;
    const std::size_t cut = std::min<std::size_t>(excess * channels_, out.size() - finish_start);
    out.resize(out.size() - cut);
    frames_out_ -= cut / channels_;
    return true;
}

bool MediaFoundationResampler::finish(std::vector<float> &out) {
    if (failed_) {
        return false;
    }
    const std::size_t start = out.size();
    transform_->ProcessMessage(MFT_MESSAGE_NOTIFY_END_OF_STREAM, 0);
    failed_ = FAILED(transform_->ProcessMessage(MFT_MESSAGE_COMMAND_DRAIN, 0)) ||
              !drain_output(out) || !flush_with_silence(out, start);
    return !failed_;
}

} // namespace

Opened open_decoder(const std::string &path) {
    const std::wstring wide = widen(path);
    if (wide.empty() || !is_regular_file(path)) {
        return {nullptr, OpenFailure::NotOpened, "not a regular file, or missing"};
    }
    auto decoder = std::make_unique<MediaFoundationDecoder>();
    std::string detail;
    if (!decoder->open(wide, detail)) {
        return {nullptr, OpenFailure::NotDecodable, detail};
    }
    return {std::move(decoder), OpenFailure::None, {}};
}

std::unique_ptr<Resampler> make_resampler(std::uint32_t from_rate, std::uint32_t to_rate,
                                          std::uint32_t channels) {
    if (from_rate == 0 || to_rate == 0 || channels == 0) {
        return nullptr;
    }
    auto resampler = std::make_unique<MediaFoundationResampler>(from_rate, to_rate, channels);
    if (!resampler->start()) {
        return nullptr;
    }
    return resampler;
}

} // namespace tf::audio
