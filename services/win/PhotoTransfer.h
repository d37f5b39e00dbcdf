#pragma once
// One photo transfer: the body streams in pieces into a part file in the save folder, so memory stays bounded,
// and the system itself deletes that file unless it is kept whole: a failed or cut transfer, or a process that
// dies in the middle (a crash, End Task, a logoff), never leaves a half-written photo or touches an earlier file.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <deque>
#include <string>
#include <vector>

#include "winmsg/win/Handles.h"
#include "Http.h"

// Free space a photo must leave on the folder's volume: the disk is never filled by an album.
inline constexpr std::uint64_t kDiskReserveBytes = 256ull << 20;

// NoRoom: the photo would have left less than the reserve free.
enum class PhotoOutcome { Saved, TimedOut, Failed, NoRoom, Quit };

struct PhotoDownload {
    PhotoOutcome outcome = PhotoOutcome::Failed;
    // Saved: the open part file, whole, still marked for deletion; KeepPhoto gives it its name.
    UniqueKernelHandle file;
    DWORD status = 0;
};

// Waits with window messages processed. The time limit counts from the start of the transfer and holds even
// while the waiting thread sits in a modal loop: at the limit (or when the program quits) the request is
// closed and the part file goes. Only a 2xx answer with a non-empty, complete body is Saved; nothing of any
// other answer reaches the disk. Without `reserveBytes` free on the folder's volume, before the request or
// while writing, the photo fails with NoRoom.
PhotoDownload DownloadToTempFile(const std::wstring& url, const std::wstring& folder, DWORD limitMs,
                                 std::uint64_t reserveBytes = kDiskReserveBytes,
                                 Http::HostGuard allowHost = &Http::AllowedHost);

// The photos of one run, one after another into one folder. While the caller names and keeps one photo, the
// next ones are already on their way: the worker that brought a photo asks for the next at once, without a trip
// through the waiting thread, at most kPhotosAhead ahead of the caller. Each photo keeps its own time limit,
// counted from its own request.
inline constexpr size_t kPhotosAhead = 2;

class PhotoRun {
public:
    // `upcoming`: the photos the caller will ask for, in that order.
    PhotoRun(std::wstring folder, DWORD limitMs, std::vector<std::wstring> upcoming = {},
             std::uint64_t reserveBytes = kDiskReserveBytes, Http::HostGuard allowHost = &Http::AllowedHost);
    ~PhotoRun();  // photos asked for ahead and never taken are given up, and their part files go
    PhotoRun(const PhotoRun&) = delete;
    PhotoRun& operator=(const PhotoRun&) = delete;

    // `url`'s photo, as DownloadToTempFile brings it; asked for now unless it was on its way.
    PhotoDownload Download(const std::wstring& url);
    // Nothing more is asked for ahead, and what was is given up: the caller stops after the photo it waits for.
    void Stop() noexcept;

private:
    struct Queued;
    std::wstring folder_;
    DWORD limitMs_;
    std::vector<std::wstring> upcoming_;
    size_t nextUpcoming_ = 0;
    std::uint64_t reserve_;
    Http::HostGuard allowHost_;
    std::deque<std::unique_ptr<Queued>> ahead_;
};

// Gives a saved photo its name: the part file becomes `path`, replacing a file of that name, and is no longer
// deleted when its handle closes. The handle stays open (for the Mark of the Web); false when the photo could
// not be kept, and then it still goes with its handle.
[[nodiscard]] bool KeepPhoto(PhotoDownload& download, const std::wstring& path);
