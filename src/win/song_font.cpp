#include <array>
#include <string>

#include "scaled.h"
#include "wide_text.h"

namespace quellbox::win {
namespace {

int CALLBACK count_face(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool installed(const std::wstring& face) {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    face.copy(wanted.lfFaceName, LF_FACESIZE - 1);
    bool found = false;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &wanted, count_face, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return found;
}

// "宋体" first; then faces with the same Chinese glyphs that a Windows or a wine installation
// may have instead, so the captions never turn into boxes. Where none is installed, the font
// mapper picks any face with the GB2312 character set.
const std::wstring& chosen_face() {
    static const std::wstring face = [] {
        const std::array<std::wstring, 8> faces = {wide(design::song_family),
                                                   L"SimSun",
                                                   L"NSimSun",
                                                   L"Microsoft YaHei",
                                                   L"SimHei",
                                                   L"WenQuanYi Zen Hei",
                                                   L"Noto Sans CJK SC",
                                                   L"Droid Sans Fallback"};
        for (const auto& candidate : faces) {
            if (installed(candidate)) return candidate;
        }
        return faces.front();
    }();
    return face;
}

}  // namespace

HFONT song_font(design::TextSize size, UINT dpi) {
    return song_font(static_cast<int>(size), dpi);
}

HFONT song_font(int pixels_at_96, UINT dpi) {
    LOGFONTW font{};
    font.lfHeight = -scaled(pixels_at_96, dpi);  // the character height, in pixels
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = GB2312_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    chosen_face().copy(font.lfFaceName, LF_FACESIZE - 1);
    return CreateFontIndirectW(&font);
}

}  // namespace quellbox::win
