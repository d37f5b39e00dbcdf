#include "MarkOfTheWeb.h"

#include <windows.h>

#include <new>

#include "Handles.h"
#include "ZoneIdentifier.h"

void MarkFromInternet(const std::wstring& path, const std::wstring& hostUrl) noexcept {
    try {
        const std::string text = ZoneIdentifierText(hostUrl);
        const UniqueKernelHandle stream(CreateFileW((path + L":Zone.Identifier").c_str(), GENERIC_WRITE, 0, nullptr,
                                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!stream) return;
        DWORD written = 0;
        (void)WriteFile(stream.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    } catch (const std::bad_alloc&) {
        // An unmarked photo is still a photo.
    }
}
