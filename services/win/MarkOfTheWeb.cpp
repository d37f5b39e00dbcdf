#include "MarkOfTheWeb.h"

#include <windows.h>

#include <mutex>
#include <new>

#include "winmsg/win/Handles.h"
#include "services/KeptAnswer.h"
#include "services/ZoneIdentifier.h"

namespace {

// Without named streams a "name:stream" path would make a second file beside the photo (Wine does so on a
// Linux file system), so only a volume that says it has them is marked.
bool VolumeHasNamedStreams(const std::wstring& path) noexcept {
    wchar_t volume[MAX_PATH];
    DWORD flags = 0;
    return GetVolumePathNameW(path.c_str(), volume, MAX_PATH) &&
           GetVolumeInformationW(volume, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) &&
           (flags & FILE_NAMED_STREAMS) != 0;
}

// Asked once per folder: the photos of a run go to one folder, and asking the volume took longer than the rest
// of keeping a photo. Never torn down with the other statics.
bool HasNamedStreams(const std::wstring& path) {
    const size_t cut = path.find_last_of(L"\\/");
    if (cut == std::wstring::npos) return VolumeHasNamedStreams(path);
    struct Kept {
        std::mutex lock;
        KeptAnswer<bool> answer{0};
    };
    static auto* const kept = new Kept;
    const std::wstring folder = path.substr(0, cut);
    const std::lock_guard<std::mutex> hold(kept->lock);
    return kept->answer.For(folder, 0, [&path] { return VolumeHasNamedStreams(path); });
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
