#include "AlbumPage.h"

#include <algorithm>

#include "winmsg/Color.h"

namespace {

constexpr std::wstring_view kLoadingMarker = L"class=\"loading\"";
constexpr std::wstring_view kDataSrcMarker = L"data-src=\"";

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

}  // namespace

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

int ProgressPercent(int index, int count) {
    if (count <= 0) return 0;
    // A double tells every half apart here: the quotient's distance from one, at least 1 / (2 count), is far
    // larger than its rounding error.
    return static_cast<int>(Nearest(100.0 * index / count));
}
