#include "AlbumRules.h"

#include <algorithm>
#include <array>

#include "Colour.h"
#include "UpperCase.h"

namespace {

constexpr std::wstring_view kLoadingMarker = L"class=\"loading\"";
constexpr std::wstring_view kDataSrcMarker = L"data-src=\"";
constexpr size_t kMaxNameLength = 120;

// 1-based position of the first occurrence, 0 when absent.
size_t InStr(std::wstring_view text, std::wstring_view what) {
    const size_t at = text.find(what);
    return at == std::wstring_view::npos ? 0 : at + 1;
}

// `length` characters from 1-based `start`; shorter at the end of the text.
std::wstring_view Mid(std::wstring_view text, size_t start, size_t length = std::wstring_view::npos) {
    if (start == 0 || start > text.size()) return {};
    return text.substr(start - 1, length);
}

bool IsControl(wchar_t c) {
    return c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0);
}

// Blanks and control characters (CR, LF, tab...) that a paste brings along at either end.
std::wstring_view TrimBlanksAndControls(std::wstring_view text) {
    while (!text.empty() && (text.front() == L' ' || IsControl(text.front()))) text.remove_prefix(1);
    while (!text.empty() && (text.back() == L' ' || IsControl(text.back()))) text.remove_suffix(1);
    return text;
}

std::wstring_view TrimBlanks(std::wstring_view text) {
    while (!text.empty() && text.front() == L' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == L' ') text.remove_suffix(1);
    return text;
}

// A name as the file system compares names: every character by its upper-case letter.
std::wstring Fold(std::wstring_view text) {
    std::wstring out(text);
    for (wchar_t& c : out) c = UpperCase(c);
    return out;
}

bool IsReservedDeviceName(std::wstring_view name) {
    // The device names count with any extension and with blanks before it: "CON.jpg" and "com1 .jpg" open
    // devices, not files.
    const std::wstring stem = Fold(TrimBlanks(name.substr(0, name.find(L'.'))));
    static constexpr std::array<std::wstring_view, 6> kPlain = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
    if (std::find(kPlain.begin(), kPlain.end(), stem) != kPlain.end()) return true;
    if (stem.size() != 4 || (stem.compare(0, 3, L"COM") != 0 && stem.compare(0, 3, L"LPT") != 0)) return false;
    const wchar_t digit = stem[3];
    return (digit >= L'0' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' || digit == L'\u00B3';
}

}  // namespace

std::wstring getFileName(std::wstring_view FilePath) {
    const size_t slash = FilePath.rfind(L'/');
    return std::wstring(slash == std::wstring_view::npos ? FilePath : FilePath.substr(slash + 1));
}

std::optional<std::wstring> AlbumPageAddress(std::wstring_view albumAddress, std::wstring_view photoHost) {
    const std::wstring_view t = TrimBlanksAndControls(albumAddress);
    // A control character inside would reach the request line.
    if (std::any_of(t.begin(), t.end(), IsControl)) return std::nullopt;
    const size_t a = InStr(t, L"album-");
    std::wstring_view albumId = Mid(t, a + 6);
    if (const size_t query = albumId.find(L'?'); query != std::wstring_view::npos) {
        albumId = albumId.substr(0, query);
    } else if (const size_t fragment = albumId.find(L'#'); fragment != std::wstring_view::npos) {
        albumId = albumId.substr(0, fragment);
    }
    const size_t p = InStr(t, L"photo/");
    const size_t q = InStr(t, L"/album");
    if (q < p + 6) return std::nullopt;  // the owner id's length would be negative
    const std::wstring_view owner = Mid(t, p + 6, q - p - 6);
    std::wstring page = L"http://";
    page += photoHost;
    page += L"/photo/";
    page += TrimBlanks(owner);
    page += L"/album-";
    page += TrimBlanks(albumId);
    return page;
}

std::vector<std::wstring_view> PhotoPieces(std::wstring_view page) {
    std::vector<std::wstring_view> pieces;
    size_t at = page.find(kLoadingMarker);
    while (at != std::wstring_view::npos) {
        const size_t start = at + kLoadingMarker.size();
        const size_t next = page.find(kLoadingMarker, start);
        pieces.push_back(page.substr(start, next == std::wstring_view::npos ? std::wstring_view::npos : next - start));
        at = next;
    }
    return pieces;
}

std::optional<std::wstring> PhotoAddress(std::wstring_view piece) {
    const size_t s = InStr(piece, kDataSrcMarker);
    const size_t j = InStr(piece, L".jpg");
    if (j < s + kDataSrcMarker.size()) return std::nullopt;
    std::wstring address(Mid(piece, s + kDataSrcMarker.size(), j - s - kDataSrcMarker.size()));
    address += L".jpg";
    return address;
}

std::wstring PhotoFileName(NamingScheme scheme, std::wstring_view address, int index, int count) {
    switch (scheme) {
        case NamingScheme::AblumUpName: return std::to_wstring(index + 1) + L".jpg";
        case NamingScheme::AblumDownName: return std::to_wstring(count - index) + L".jpg";
        case NamingScheme::UrlInitName: break;
    }
    return getFileName(address);
}

int ProgressPercent(int index, int count) {
    if (count <= 0) return 0;
    // A double tells every half apart here: the quotient's distance from one, at least 1 / (2 count), is far
    // larger than its rounding error.
    return static_cast<int>(Nearest(100.0 * index / count));
}

std::wstring MakeSafeFileName(std::wstring_view name, int index) {
    std::wstring out;
    out.reserve(name.size());
    for (const wchar_t c : name) {
        const bool forbidden = c < 32 || c == L'<' || c == L'>' || c == L':' || c == L'"' || c == L'/' || c == L'\\' ||
                               c == L'|' || c == L'?' || c == L'*';
        out += forbidden ? L'_' : c;
    }
    // Windows drops trailing dots and blanks, which would turn "x.jpg." into another file's name.
    while (!out.empty() && (out.back() == L'.' || out.back() == L' ')) out.pop_back();
    while (!out.empty() && out.front() == L' ') out.erase(out.begin());
    if (out.empty() || out.find_first_not_of(L'.') == std::wstring::npos) return std::to_wstring(index + 1) + L".jpg";
    if (IsReservedDeviceName(out)) out.insert(out.begin(), L'_');
    if (out.size() > kMaxNameLength) {
        const size_t dot = out.rfind(L'.');
        const std::wstring extension = dot != std::wstring::npos && out.size() - dot <= 8 ? out.substr(dot) : L"";
        size_t keep = kMaxNameLength - extension.size();
        if (out[keep - 1] >= 0xD800 && out[keep - 1] <= 0xDBFF) --keep;  // never half a surrogate pair
        out = out.substr(0, keep) + extension;
        // The cut may end the name in a blank or a dot, which Windows would drop.
        while (!out.empty() && (out.back() == L'.' || out.back() == L' ')) out.pop_back();
    }
    return out;
}

std::wstring RunFileNames::Unique(const std::wstring& safeName) const {
    const std::wstring folded = Fold(safeName);
    if (!taken_.count(folded)) return safeName;
    const size_t dot = safeName.rfind(L'.');
    const std::wstring stem = dot == std::wstring::npos || dot == 0 ? safeName : safeName.substr(0, dot);
    const std::wstring extension = dot == std::wstring::npos || dot == 0 ? L"" : safeName.substr(dot);
    // Every number below the one remembered for this name was found taken already: a run of many photos of one
    // name does not try them all again for each photo.
    int& next = nextNumber_[folded];
    for (int n = std::max(next, 2);; ++n) {
        std::wstring candidate = stem + L" (" + std::to_wstring(n) + L")" + extension;
        if (!taken_.count(Fold(candidate))) {
            next = n;
            return candidate;
        }
    }
}

void RunFileNames::Take(const std::wstring& name) {
    taken_.insert(Fold(name));
}
