#include "MarkOfTheWeb.h"

#include <windows.h>

#include <new>

#include "Handles.h"
#include "ZoneIdentifier.h"

namespace {

// Without named streams a "name:stream" path would make a second file beside the photo (Wine does so on a
// Linux file system), so only a volume that says it has them is marked.
bool HasNamedStreams(const std::wstring& path) noexcept {
    wchar_t volume[MAX_PATH];
    DWORD flags = 0;
    return GetVolumePathNameW(path.c_str(), volume, MAX_PATH) &&
           GetVolumeInformationW(volume, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) &&
           (flags & FILE_NAMED_STREAMS) != 0;
}

}  // namespace

void MarkFromInternet(const std::wstring& path, const std::wstring& hostUrl) noexcept {
    try {
        if (!HasNamedStreams(path)) return;
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
