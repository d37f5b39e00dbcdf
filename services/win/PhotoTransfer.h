#pragma once
// One photo transfer: the body streams in pieces into a part file in the save folder, so memory stays bounded,
// and the system itself deletes that file unless it is kept whole: a failed or cut transfer, or a process that
// dies in the middle (a crash, End Task, a logoff), never leaves a half-written photo or touches an earlier file.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "winmsg/win/Handles.h"
#include "Http.h"

// What the transfers of a run may do: where they may go, the room they leave on the disk, how long a photo may take.
struct TransferPolicy {
    // Judges the host of the photo's own address, before anything is asked (a refused photo never is), and that of
    // every hop it takes.
    Http::HostGuard allowHost;
    // Free space a photo must leave on the folder's volume: the disk is never filled by an album.
    std::uint64_t reserveBytes;
    // Each photo's time limit, counted from its own request, its tries and their pauses included.
    DWORD limitMs;
};

// The program's own: the address rules, 256 MB left free, 20 s a photo.
inline constexpr TransferPolicy kProductPolicy{&Http::AllowedHost, 256ull << 20, 20000};

// Refused: the address breaks the policy's address rules and was never asked for. NoRoom: the photo would have
// left less than the reserve free. Stopped: the run was stopped before the photo was taken, or while it paused
// between tries; it is not kept.
enum class PhotoOutcome { Saved, TimedOut, Failed, Refused, NoRoom, Quit, Stopped };

struct PhotoDownload {
    PhotoOutcome outcome = PhotoOutcome::Failed;
    std::wstring url;  // the photo's address, as the run's list gave it
    // Saved: the open part file, whole, still marked for deletion, and its name; KeepPhoto gives it the photo's.
    UniqueKernelHandle file;
    std::wstring partName;
    DWORD status = 0;
};

// The photos of one run, one after another into one folder. While the caller names and keeps one photo, the
// next ones are already on their way: the worker that brought a photo asks for the next at once, without a trip
// through the waiting thread, at most kPhotosAhead ahead of the caller (refused ones not counted); a photo's tries
// all come before the next photo, and nothing starts before the connection of what came before it is gone. Each
// photo keeps its own time limit, counted from its own request.
inline constexpr size_t kPhotosAhead = 2;

class PhotoRun {
public:
    // `photos`: the run's addresses in order, as the page gives them, refused ones included.
    PhotoRun(std::wstring folder, std::vector<std::wstring> photos, const TransferPolicy& policy);
    ~PhotoRun();  // photos asked for ahead and never taken are given up, and their part files go
    PhotoRun(const PhotoRun&) = delete;
    PhotoRun& operator=(const PhotoRun&) = delete;

    // The photos whose outcome Next has still to answer.
    [[nodiscard]] size_t Remaining() const noexcept;
    // The next photo of the list, one outcome per photo in the list's order (past its end: Failed, nothing asked).
    // A refused address is answered at once. Otherwise input waiting in the window's queue is handled first, so a
    // stop clicked while photos were ready comes before the next is taken: that one is Stopped (a quit seen there
    // ends the run as Stop does: Quit). Waits with window messages processed. The time limit holds even
    // while the waiting thread sits in a modal loop: at the limit (or when the program quits) the request is
    // closed and the part file goes, and the wait returns once the request's connection is gone. A photo that
    // failed in passing (see Http::FailedInPassing) is asked for again, as the retry rules say, each try with a
    // receive time-out of 5 s at most, so that a given-up try lets go of its connection soon; each try's part file
    // is gone before the next starts. Only a 2xx answer with a non-empty, complete body is Saved; nothing of any
    // other answer reaches the disk. Without the reserve free on the folder's volume, before the request or while
    // writing, the photo fails with NoRoom.
    PhotoDownload Next();
    // Nothing more is asked for ahead, what was is given up, and no further try starts: the caller stops after
    // the photo it waits for, which ends at once (Stopped) if it was pausing between tries.
    void Stop() noexcept;

private:
    struct Queued;
    // Gives up the photos asked for ahead; they end, with their connections, before the run does.
    void DropAhead() noexcept;
    std::wstring folder_;
    std::vector<std::wstring> photos_;
    std::vector<bool> refused_;  // by the policy's address rules, one per photo
    TransferPolicy policy_;
    size_t next_ = 0;       // the photo Next answers
    size_t nextAsked_ = 0;  // the first photo not yet asked for
    std::shared_ptr<std::atomic<bool>> stopped_;
    std::deque<std::unique_ptr<Queued>> ahead_;     // the list's next photos that are not refused, in order
    std::vector<std::unique_ptr<Queued>> dropped_;  // given up, ended before the run ends
    Queued* current_ = nullptr;                     // the photo waited for
};

// The file steps of keeping a photo, one call each, so that every step's failure can be met.
class PartFileSteps {
public:
    virtual ~PartFileSteps() = default;
    // Sets or clears the open file's mark for deletion when its last handle closes.
    virtual bool Mark(HANDLE file, bool deleteOnClose) = 0;
    // Gives the open file the name `path`, replacing a file of that name.
    virtual bool Rename(HANDLE file, const std::wstring& path) = 0;
    // Deletes the file of that name (once its last handle closes).
    virtual bool Delete(const std::wstring& path) = 0;
};
// The platform's own steps.
[[nodiscard]] PartFileSteps& SystemFileSteps();

// Gives a saved photo its name: the part file becomes `path`, replacing a file of that name, and is no longer
// deleted when its handle closes. The handle stays open (for the Mark of the Web). False when the photo could
// not be kept: then a file of that name is as it was and the part file goes with its handle (a step that fails
// is met by another). The mark is cleared just before the rename: a process that dies between those two calls
// leaves the whole photo under its part name.
[[nodiscard]] bool KeepPhoto(PhotoDownload& download, const std::wstring& path, PartFileSteps& steps);

// Whether `name` in `folder` is another file's short (8.3) alias, which replacing it would replace.
[[nodiscard]] bool NamesAnotherFile(const std::wstring& folder, const std::wstring& name);
