// Album and photo addresses as a paste or a page could write them, and the hosts a transfer connects to.
#include "services/AddressGuard.h"
#include "app/AlbumPage.h"
#include "FuzzInput.h"

namespace {

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const std::wstring text = fuzz::Wide(data, size);
    if (const auto page = AlbumPageAddress(text, L"photo.renren.com")) {
        // No request line may carry a control character.
        for (const wchar_t c : *page) fuzz::Check(c >= 0x20 && c != 0x7F);
        fuzz::Check(page->starts_with(L"http://photo.renren.com/photo/"));
    }
    const auto hostOfText = AddressGuard::HostOf(text);
    if (AddressGuard::IsAllowedAddress(text)) {
        fuzz::Check(text.find(L' ') == std::wstring::npos);
        fuzz::Check(text.find(L'\r') == std::wstring::npos && text.find(L'\n') == std::wstring::npos);
        // The host the transfer connects to for an allowed address passes the transfer's own check.
        fuzz::Check(hostOfText && AddressGuard::IsAllowedHost(*hostOfText));
    }

    // The host of the address, or the whole text taken for a host.
    const std::wstring host = hostOfText ? std::wstring(*hostOfText) : text;
    const bool allowed = AddressGuard::IsAllowedHost(host);
    if (allowed) {
        for (const wchar_t c : host) fuzz::Check(IsHostCharacter(c));
    }
    // The platform reads hosts without case ("0X7F.1", "LOCALHOST"), and an IPv6 literal alike with or without
    // its brackets; a name alike with one trailing dot.
    fuzz::Check(AddressGuard::IsAllowedHost(AsciiUpper(host)) == allowed);
    if (host.find(L':') != std::wstring::npos && host.find_first_of(L"[]") == std::wstring::npos)
        fuzz::Check(AddressGuard::IsAllowedHost(L"[" + host + L"]") == allowed);
    if (host.find_first_of(L":[]") == std::wstring::npos && !host.empty() && host.back() != L'.')
        fuzz::Check(AddressGuard::IsAllowedHost(host + L".") == allowed);
    return 0;
}
