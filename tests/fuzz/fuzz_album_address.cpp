// Album and photo addresses as a paste or a page could write them, and the hosts a transfer connects to.
#include "services/AddressGuard.h"
#include "services/UrlEscape.h"
#include "app/AlbumPage.h"
#include "FuzzInput.h"

#include <iterator>

namespace {

// Names a machine could report for itself, an empty one and one with its trailing dot among them.
const std::wstring kOwnNames[] = {L"box", L"", L"Box.Corp.Example.", L"BOX-NB"};

bool IsHostCharacter(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') ||
           std::wstring_view(L"-_.:[]").find(c) != std::wstring_view::npos;
}

std::wstring AsciiUpper(std::wstring_view text) {
    std::wstring out(text);
    for (wchar_t& c : out)
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - 0x20);
    return out;
}

// One of the own names, its letters' case flipped and its trailing dot put on or off as the input's bits say.
std::wstring OwnNameVariant(const std::uint8_t* data, size_t size) {
    std::wstring name = kOwnNames[data[0] % std::size(kOwnNames)];
    if (!name.empty() && name.back() == L'.') name.pop_back();
    for (size_t i = 0; i < name.size(); ++i) {
        const bool flip = (data[(i + 1) % size] >> (i % 8)) & 1;
        if (flip && ((name[i] >= L'a' && name[i] <= L'z') || (name[i] >= L'A' && name[i] <= L'Z')))
            name[i] = static_cast<wchar_t>(name[i] ^ 0x20);
    }
    if (data[0] & 0x80) name += L'.';
    return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const std::wstring text = fuzz::Wide(data, size);
    if (const auto page = AlbumPageAddress(text, L"photo.renren.com")) {
        // No request line may carry a control character.
        for (const wchar_t c : *page) fuzz::Check(c >= 0x20 && c != 0x7F);
        fuzz::Check(page->starts_with(L"http://photo.renren.com/photo/"));
    }
    const auto hostOfText = AddressGuard::HostOf(text);
    if (AddressGuard::IsAllowedAddress(text, kOwnNames)) {
        fuzz::Check(text.find(L' ') == std::wstring::npos);
        fuzz::Check(text.find(L'\r') == std::wstring::npos && text.find(L'\n') == std::wstring::npos);
        // The host the transfer connects to for an allowed address passes the transfer's own check.
        fuzz::Check(hostOfText && AddressGuard::IsAllowedHost(*hostOfText, kOwnNames));
    }

    // Escaping the path leaves the host that is judged and connected to as it was, and nothing outside ASCII.
    const std::wstring escaped = EscapeNonAscii(text);
    fuzz::Check(AddressGuard::HostOf(escaped) == hostOfText);
    if (hostOfText) {
        const size_t path = escaped.find_first_of(L"/?#", text.find(L"://") + 3);
        if (path != std::wstring::npos)
            for (const wchar_t c : std::wstring_view(escaped).substr(path))
                fuzz::Check(static_cast<std::uint32_t>(c) < 0x80);
    }

    // The host of the address, or the whole text taken for a host.
    const std::wstring host = hostOfText ? std::wstring(*hostOfText) : text;
    const bool allowed = AddressGuard::IsAllowedHost(host, kOwnNames);
    if (allowed) {
        for (const wchar_t c : host) fuzz::Check(IsHostCharacter(c));
    }
    // The platform reads hosts without case ("0X7F.1", "LOCALHOST"), and an IPv6 literal alike with or without
    // its brackets; a name alike with one trailing dot.
    fuzz::Check(AddressGuard::IsAllowedHost(AsciiUpper(host), kOwnNames) == allowed);
    if (host.find(L':') != std::wstring::npos && host.find_first_of(L"[]") == std::wstring::npos)
        fuzz::Check(AddressGuard::IsAllowedHost(L"[" + host + L"]", kOwnNames) == allowed);
    if (host.find_first_of(L":[]") == std::wstring::npos && !host.empty() && host.back() != L'.')
        fuzz::Check(AddressGuard::IsAllowedHost(host + L".", kOwnNames) == allowed);
    // This machine's own names are refused in any case and with or without their trailing dot.
    if (size > 0) fuzz::Check(!AddressGuard::IsAllowedHost(OwnNameVariant(data, size), kOwnNames));
    return 0;
}
