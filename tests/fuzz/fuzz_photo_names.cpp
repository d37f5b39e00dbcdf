// A whole album page through the naming pipeline: every name a run would write must stay in the folder, be a
// file name Windows keeps as it is, and differ from every other name of the run.
#include <set>

#include "app/AlbumPage.h"
#include "FuzzInput.h"
#include "app/PhotoNames.h"

namespace {

bool Forbidden(wchar_t c) {
    return c < 32 || c == L'<' || c == L'>' || c == L':' || c == L'"' || c == L'/' || c == L'\\' || c == L'|' ||
           c == L'?' || c == L'*';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const auto scheme = static_cast<NamingScheme>(data[0] % 3);
    const std::wstring page = fuzz::Wide(data + 1, size - 1);
    const auto pieces = PhotoPieces(page);
    RunFileNames names;
    std::set<std::wstring> given;
    const int count = static_cast<int>(pieces.size());
    for (int index = 0; index < count; ++index) {
        const auto address = PhotoAddress(pieces[static_cast<size_t>(index)]);
        if (!address) continue;
        const std::wstring safe = MakeSafeFileName(PhotoFileName(scheme, *address, index, count), index);
        fuzz::Check(!safe.empty() && safe.size() <= 120);
        for (const wchar_t c : safe) fuzz::Check(!Forbidden(c));
        fuzz::Check(safe.back() != L' ' && safe.back() != L'.');
        fuzz::Check(safe != L"." && safe != L"..");
        const std::wstring name = names.Unique(safe);
        fuzz::Check(given.insert(name).second);
        names.Take(name);
    }
    return 0;
}
