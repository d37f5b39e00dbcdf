// Album and photo addresses as a paste or a page could write them.
#include "AlbumRules.h"
#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const std::wstring text = fuzz::Wide(data, size);
    if (const auto page = AlbumPageAddress(text, L"photo.renren.com")) {
        // No request line may carry a control character.
        for (const wchar_t c : *page) fuzz::Check(c >= 0x20 && c != 0x7F);
        fuzz::Check(page->starts_with(L"http://photo.renren.com/photo/"));
    }
    if (IsAllowedPhotoAddress(text)) {
        fuzz::Check(text.find(L' ') == std::wstring::npos);
        fuzz::Check(text.find(L'\r') == std::wstring::npos && text.find(L'\n') == std::wstring::npos);
    }
    return 0;
}
