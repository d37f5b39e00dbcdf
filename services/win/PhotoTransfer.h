#pragma once
// One photo transfer: the body streams in pieces into a temporary file in the save folder, so memory stays
// bounded and a failed or cut transfer never leaves a half-written photo or touches an earlier file.

#include <windows.h>

#include <cstdint>
#include <string>

// Free space a photo must leave on the folder's volume: the disk is never filled by an album.
inline constexpr std::uint64_t kDiskReserveBytes = 256ull << 20;

// NoRoom: the photo would have left less than the reserve free.
enum class PhotoOutcome { Saved, TimedOut, Failed, NoRoom, Quit };

struct PhotoDownload {
    PhotoOutcome outcome = PhotoOutcome::Failed;
    std::wstring tempFile;  // holds the whole photo when outcome is Saved; the caller renames or deletes it
    DWORD status = 0;
};

// Waits with window messages processed. The time limit counts from the start of the transfer; at the limit
// (or when the program quits) the request is closed and the temporary file goes, even if the program ends
// first. Only a 2xx answer with a non-empty, complete body is Saved; nothing of any other answer reaches the
// disk. Without `reserveBytes` free on the folder's volume, before the request or while writing, the photo
// fails with NoRoom.
PhotoDownload DownloadToTempFile(const std::wstring& url, const std::wstring& folder, DWORD limitMs,
                                 std::uint64_t reserveBytes = kDiskReserveBytes);
