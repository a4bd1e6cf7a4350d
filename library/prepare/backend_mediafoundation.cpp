// Media Foundation, for the audio libsndfile has no decoder for: MPEG-4
// audio (M4A/AAC) and Windows Media Audio. Windows brings the codecs, so
// nothing is shipped for them. It only decodes (to float at the file's own
// rate); the rate is converted by the same resampler as every other file's.
#include "library/prepare/decoders.h"
#include "library/prepare/wave_file.h"

#include <windows.h>

#include <mfapi.h>
#include <mferror.h>
#include <mfidl.h>
#include <mfreadwrite.h>
#include <wrl/client.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>

using Microsoft::WRL::ComPtr;

namespace tf::audio {

namespace {

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
    decltype(&::MFCreateSourceReaderFromURL) CreateSourceReaderFromURL = nullptr;

    bool complete() const {
        return Startup && Shutdown && CreateMediaType && CreateSourceReaderFromURL;
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
        find(readwrite, "MFCreateSourceReaderFromURL", loaded.CreateSourceReaderFromURL);
        return loaded.complete() ? loaded : MediaFoundationApi{};
    }();
    return api;
}

// COM and Media Foundation for the lifetime of one decoder, on
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

// The first bytes of the containers kept for Media Foundation: an MPEG-4
// file's "ftyp" box, the ASF header object, and raw AAC (ADTS or ADIF).
bool is_media_foundation_container(const std::string &path) {
    const File file = open_for_reading(path);
    unsigned char head[16] = {};
    if (!file || std::fread(head, 1, sizeof head, file.get()) != sizeof head) {
        return false;
    }
    static const unsigned char kAsf[16] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                           0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
    const bool adts = head[0] == 0xFF && (head[1] & 0xF6) == 0xF0;
    return std::memcmp(head + 4, "ftyp", 4) == 0 || std::memcmp(head, kAsf, 16) == 0 || adts ||
           std::memcmp(head, "ADIF", 4) == 0;
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
    // Lossy codecs all; even WMA Lossless says nothing here about the depth it holds.
    format_.kind = SampleKind::Compressed;
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

} // namespace

Opened open_media_foundation_decoder(const std::string &path) {
    const std::wstring wide = widen(path);
    if (wide.empty() || !is_regular_file(path)) {
        return {nullptr, OpenFailure::NotOpened, "not a regular file, or missing"};
    }
    if (!is_media_foundation_container(path)) {
        return {nullptr, OpenFailure::NotDecodable, {}};
    }
    auto decoder = std::make_unique<MediaFoundationDecoder>();
    std::string detail;
    if (!decoder->open(wide, detail)) {
        return {nullptr, OpenFailure::NotDecodable, detail};
    }
    return {std::move(decoder), OpenFailure::None, {}};
}

} // namespace tf::audio
