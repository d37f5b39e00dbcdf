#include "services/DurableReplace.h"

#include <windows.h>

#include "winmsg/win/Handles.h"

bool WriteAndReplace(const std::filesystem::path& tmp, const std::filesystem::path& file, std::string_view bytes) {
    UniqueKernelHandle h(
        CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) return false;
    DWORD written = 0;
    bool ok = bytes.empty() || (WriteFile(h.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                                written == bytes.size());
    ok = FlushFileBuffers(h.Get()) && ok;
    // Closed by hand: a failed close can mean the bytes never reached the disk, and the file must be shut
    // before it can be renamed.
    ok = CloseHandle(h.Release()) && ok;
    if (ok) ok = MoveFileExW(tmp.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!ok) DeleteFileW(tmp.c_str());
    return ok;
}
