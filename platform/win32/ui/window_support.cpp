// Small conversions and the font cache of the window layer.
#include "platform/win32/ui/window_core.h"

#include <oleacc.h>

#include <algorithm>
#include <cmath>

namespace tf::win32 {

int Px(int twips, UINT dpi) {
    return MulDiv(twips, static_cast<int>(dpi), 1440);
}

RECT PxRect(const ui::Rect &r, UINT dpi) {
    return RECT{Px(r.left, dpi), Px(r.top, dpi), Px(r.left + r.width, dpi),
                Px(r.top + r.height, dpi)};
}

int Scaled(int px, UINT dpi) {
    return MulDiv(px, static_cast<int>(dpi), 96);
}

std::wstring WithCrLf(const std::wstring &s) {
    std::wstring out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == L'\n' && (i == 0 || s[i - 1] != L'\r'))
            out += L'\r';
        out += s[i];
    }
    return out;
}

std::wstring WindowText(HWND h) {
    int n = GetWindowTextLengthW(h);
    std::wstring s(static_cast<size_t>(n) + 1, L'\0');
    n = GetWindowTextW(h, s.data(), n + 1);
    s.resize(static_cast<size_t>(std::max(n, 0)));
    return s;
}

COLORREF ColorRef(ui::Color c) {
    return RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
}

bool FontExists(const std::wstring &face) {
    static std::map<std::wstring, bool> known;
    auto it = known.find(face);
    if (it != known.end())
        return it->second;
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    wcsncpy_s(lf.lfFaceName, LF_FACESIZE, face.c_str(), _TRUNCATE);
    HDC dc = GetDC(nullptr);
    bool found = false;
    EnumFontFamiliesExW(
        dc, &lf,
        [](const LOGFONTW *, const TEXTMETRICW *, DWORD, LPARAM p) -> int {
            *reinterpret_cast<bool *>(p) = true;
            return 0;
        },
        reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, dc);
    return known[face] = found;
}

namespace {
// Spelled out here: the header's definitions need initguid.h in exactly one place.
const GUID kAccPropServicesClass = {
    0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
const GUID kAccPropServicesInterface = {
    0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
const GUID kAccNameProperty = {
    0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};
} // namespace

void AnnotateName(HWND h, const std::wstring &name) {
    // The annotation outlives the interface: it is kept with the window.
    // Without COM or the accessibility runtime the control keeps the name
    // the system finds for it; nothing else depends on this.
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IAccPropServices *services = nullptr;
    if (SUCCEEDED(CoCreateInstance(kAccPropServicesClass, nullptr, CLSCTX_INPROC_SERVER,
                                   kAccPropServicesInterface,
                                   reinterpret_cast<void **>(&services))) &&
        services) {
        if (name.empty())
            services->ClearHwndProps(h, OBJID_CLIENT, CHILDID_SELF, &kAccNameProperty, 1);
        else
            services->SetHwndPropStr(h, OBJID_CLIENT, CHILDID_SELF, kAccNameProperty, name.c_str());
        services->Release();
    }
    if (SUCCEEDED(init))
        CoUninitialize();
}

bool HighContrastOn() {
    HIGHCONTRASTW hc{};
    hc.cbSize = sizeof(hc);
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(hc), &hc, 0) &&
           (hc.dwFlags & HCF_HIGHCONTRASTON);
}

namespace {

// The face actually used: MS Sans Serif is missing on some systems, and then
// the dialog font of the system takes its place.
std::wstring FaceFor(const std::string &name) {
    std::wstring face = Widen(name);
    if (FontExists(face))
        return face;
    for (const wchar_t *f : {L"Tahoma", L"Segoe UI", L"Microsoft Sans Serif"})
        if (FontExists(f))
            return f;
    return face;
}

} // namespace

HFONT FontCache::Get(const ui::Font &font, UINT dpi, bool symbol) {
    auto key = std::make_tuple(font.name, std::lround(font.size * 100), font.bold, dpi, symbol);
    auto it = fonts_.find(key);
    if (it != fonts_.end())
        return it->second.get();
    LOGFONTW lf{};
    lf.lfHeight = -static_cast<LONG>(std::lround(font.size * dpi / 72.0));
    lf.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = symbol ? SYMBOL_CHARSET : DEFAULT_CHARSET;
    lf.lfQuality = CLEARTYPE_QUALITY;
    std::wstring face = symbol ? L"Webdings" : FaceFor(font.name);
    wcsncpy_s(lf.lfFaceName, LF_FACESIZE, face.c_str(), _TRUNCATE);
    return fonts_.emplace(key, GdiObject<HFONT>(CreateFontIndirectW(&lf))).first->second.get();
}

} // namespace tf::win32
