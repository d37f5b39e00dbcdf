#include "PhotoNames.h"

#include <algorithm>
#include <array>

#include "UpperCase.h"

namespace {

// The file calls take plain paths, limited to 260 characters: a name of 120 leaves its folder about 130.
constexpr size_t kMaxNameLength = 120;

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

// Windows drops trailing dots and blanks, which would turn "x.jpg." into another file's name.
void DropTrailingDotsAndBlanks(std::wstring& name) {
    while (!name.empty() && (name.back() == L'.' || name.back() == L' ')) name.pop_back();
}

// Empty or dots only: no file of its own in the folder.
bool Unusable(const std::wstring& name) {
    return name.find_first_not_of(L'.') == std::wstring::npos;
}

std::wstring NumberName(int index) {
    return std::to_wstring(index + 1) + L".jpg";
}

// Cut to the longest name kept, with its extension when it has a short one.
std::wstring Shortened(const std::wstring& name) {
    if (name.size() <= kMaxNameLength) return name;
    const size_t dot = name.rfind(L'.');
    const std::wstring extension = dot != std::wstring::npos && name.size() - dot <= 8 ? name.substr(dot) : L"";
    size_t keep = kMaxNameLength - extension.size();
    if (name[keep - 1] >= 0xD800 && name[keep - 1] <= 0xDBFF) --keep;  // never half a surrogate pair
    std::wstring out = name.substr(0, keep) + extension;
    DropTrailingDotsAndBlanks(out);  // the cut may end the name in one
    return out;
}

}  // namespace

std::wstring getFileName(std::wstring_view FilePath) {
    const size_t slash = FilePath.rfind(L'/');
    return std::wstring(slash == std::wstring_view::npos ? FilePath : FilePath.substr(slash + 1));
}

std::wstring PhotoFileName(NamingScheme scheme, std::wstring_view address, int index, int count) {
    switch (scheme) {
        case NamingScheme::AblumUpName: return NumberName(index);
        case NamingScheme::AblumDownName: return std::to_wstring(count - index) + L".jpg";
        case NamingScheme::UrlInitName: break;
    }
    return getFileName(address);
}

std::wstring MakeSafeFileName(std::wstring_view name, int index) {
    std::wstring out;
    out.reserve(name.size());
    for (const wchar_t c : name) {
        const bool forbidden = c < 32 || c == L'<' || c == L'>' || c == L':' || c == L'"' || c == L'/' || c == L'\\' ||
                               c == L'|' || c == L'?' || c == L'*';
        out += forbidden ? L'_' : c;
    }
    DropTrailingDotsAndBlanks(out);
    while (!out.empty() && out.front() == L' ') out.erase(out.begin());
    if (Unusable(out)) return NumberName(index);
    if (IsReservedDeviceName(out)) out.insert(out.begin(), L'_');
    if (out.size() > kMaxNameLength) {
        out = Shortened(out);
        // What the cut leaves may be nothing usable, or a device name again: "CON" + blanks + "x" loses its "x".
        if (Unusable(out)) return NumberName(index);
        if (IsReservedDeviceName(out)) out = Shortened(L"_" + out);
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
