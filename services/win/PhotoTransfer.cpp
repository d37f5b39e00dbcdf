#include "PhotoTransfer.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "BackgroundTask.h"
#include "services/AddressGuard.h"
#include "services/DiskRoom.h"
#include "services/RetryPolicy.h"
#include "winmsg/win/MessagePump.h"
#include "winmsg/win/Handles.h"
#include "Http.h"
#include "services/KeptAnswer.h"

namespace {

constexpr size_t kWriteBytes = 128 * 1024;
// How long the room granted on a folder's volume serves the photos after the one that asked: the volume is asked
// again after this, or sooner when the room is used up (DiskRoom asks every few megabytes).
constexpr ULONGLONG kRoomFreshMs = 2000;

// Unique beyond this process: a process id comes back, the pair of id and start time does not.
std::wstring NewPartName(const std::wstring& folder) {
    static const std::wstring process = [] {
        FILETIME created{}, unused{};
        GetProcessTimes(GetCurrentProcess(), &created, &unused, &unused, &unused);
        wchar_t text[40];
        swprintf(text, 40, L"%lu-%08lx%08lx", GetCurrentProcessId(), created.dwHighDateTime, created.dwLowDateTime);
        return std::wstring(text);
    }();
    static std::atomic<unsigned> counter{0};
    return folder + L"\\~verdaly-" + process + L"-" + std::to_wstring(++counter) + L".part";
}

bool MarkForDeletion(HANDLE file, bool remove) noexcept {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = remove ? TRUE : FALSE;
    return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof(disposition));
}

// A part file the system deletes when its last handle closes, from the moment it exists.
UniqueKernelHandle CreatePartFile(const std::wstring& name) noexcept {
    UniqueKernelHandle file(CreateFileW(name.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file && !MarkForDeletion(file.Get(), true)) {
        file.Reset();
        DeleteFileW(name.c_str());  // nothing could promise its end: it never holds a photo
    }
    return file;
}

bool RenameOpenFile(HANDLE file, const std::wstring& path) {
    const size_t nameBytes = path.size() * sizeof(wchar_t);
    std::vector<unsigned char> block(sizeof(FILE_RENAME_INFO) + nameBytes);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(block.data());
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(nameBytes);
    std::memcpy(info->FileName, path.data(), nameBytes);
    return SetFileInformationByHandle(file, FileRenameInfo, info, static_cast<DWORD>(block.size()));
}

std::optional<std::uint64_t> FreeBytes(const std::wstring& folder) {
    ULARGE_INTEGER available{};
    if (!GetDiskFreeSpaceExW(folder.c_str(), &available, nullptr, nullptr)) return std::nullopt;
    return available.QuadPart;
}

// The room on one folder's volume, shared by the photos that follow each other into it, so that each photo does
// not ask the volume itself. Workers of two photos may overlap (one given up, one starting): both go through the
// lock. Never torn down with the other statics, as a worker may outlive them.
class FolderRoom {
public:
    FolderRoom(std::wstring folder, std::uint64_t reserve)
        : folder_(std::move(folder)), reserve_(reserve), key_(std::to_wstring(reserve) + L" " + folder_) {}

    // Room for anything at all: a room that was used up or refused asks the volume again.
    [[nodiscard]] bool Any() { return Fits(1); }
    [[nodiscard]] bool Fits(std::uint64_t size) {
        const std::lock_guard<std::mutex> hold(Kept().lock);
        return Current().Fits(size);
    }
    [[nodiscard]] bool Take(std::uint64_t size) {
        const std::lock_guard<std::mutex> hold(Kept().lock);
        return Current().Take(size);
    }

private:
    struct Shared {
        std::mutex lock;
        KeptAnswer<DiskRoom> room{kRoomFreshMs};
    };
    static Shared& Kept() {
        static auto* const kept = new Shared;
        return *kept;
    }
    // Under the lock.
    DiskRoom& Current() {
        return Kept().room.For(key_, GetTickCount64(), [this] {
            return DiskRoom([folder = folder_] { return FreeBytes(folder); }, reserve_);
        });
    }

    std::wstring folder_;
    std::uint64_t reserve_;
    std::wstring key_;
};

// The longest a photo request waits on its socket: under Wine a request given up ends only when its pending
// receive does, so this bounds how long a given-up photo keeps its connection.
constexpr DWORD kReceiveMs = 5000;
// How long the run waits for a given-up photo's worker to end: its receive time-out and the platform's slack.
constexpr DWORD kWorkerEndMs = kReceiveMs + 5000;

// Written by the worker, read by the waiting side only once the worker has finished.
struct PhotoShared {
    std::wstring url;
    std::wstring folder;
    TransferPolicy policy{};
    std::shared_ptr<std::atomic<bool>> stopped;  // the run's: no try starts once it is set
    Http::Result result;
    UniqueKernelHandle file;  // the whole photo, handed over when the worker finished first
    std::wstring partName;
    bool noRoom = false;
    bool outOfTime = false;  // failed in passing with no time left for another try
    bool stoppedBetweenTries = false;
};

// One try: the answer's body into a new part file. The file comes back only when it holds a whole photo.
UniqueKernelHandle TryOnce(PhotoShared& shared, FolderRoom& room, TaskControl& control, const std::wstring& partName) {
    // Closing it deletes the file, whoever closes it and whenever: nothing else needs cleaning up.
    UniqueKernelHandle file;
    bool written = true;
    const auto write = [&](const char* data, size_t size) {
        if (!room.Take(size)) {
            shared.noRoom = true;
            return false;
        }
        DWORD done = 0;
        return WriteFile(file.Get(), data, static_cast<DWORD>(size), &done, nullptr) && done == size;
    };
    // Pieces reach the file in larger writes, and whenever the body pauses.
    std::string pending;
    const auto flush = [&] {
        if (pending.empty()) return true;
        const bool ok = write(pending.data(), pending.size());
        pending.clear();
        return ok;
    };
    // Each try's socket waits kReceiveMs at most, and never past the photo's limit.
    const DWORD receiveMs = std::min(kReceiveMs, control.RemainingMs());
    Http::Request request{L"GET", shared.url, {}, nullptr, {receiveMs, receiveMs, receiveMs}};
    request.allowHost = shared.policy.allowHost;
    request.keptCookies = true;
    // While more of the body is awaited, what came of it is written. (Nothing else is done meanwhile: under
    // Wine a file made while the request goes out delays the request more than it saves.)
    request.whileWaiting = [&]() noexcept {
        if (!file) return;
        try {
            written = written && flush();
        } catch (...) {
            written = false;  // out of memory, say: the next piece stops the transfer
        }
    };
    try {
        shared.result = Http::Perform(
            request,
            [&](DWORD status, std::optional<std::uint64_t> length) {
                // Nothing of an error page, or of an answer given up on, reaches the disk.
                if (status < 200 || status >= 300 || control.Abandoned()) return false;
                if (length && !room.Fits(*length)) {
                    shared.noRoom = true;
                    return false;
                }
                file = CreatePartFile(partName);
                return static_cast<bool>(file);
            },
            [&](const char* data, size_t size) {
                // A write that failed while the body paused has lost a piece already: the photo is lost.
                if (!written) return false;
                if (pending.size() + size < kWriteBytes) {
                    pending.append(data, size);
                    return true;
                }
                // A large piece goes to the file as it is, not through another copy.
                written = flush() && write(data, size);
                return written;
            },
            &control);
        if (shared.result.Success()) written = written && flush();
    } catch (...) {
        written = false;  // out of memory, say: the photo failed and its file goes with its handle
    }
    // An empty body is no photo.
    if (file && written && shared.result.Success() && shared.result.received > 0) return file;
    return {};
}

std::function<void(TaskControl&)> PhotoWork(std::shared_ptr<PhotoShared> shared) {
    return [shared](TaskControl& control) {
        FolderRoom room(shared->folder, shared->policy.reserveBytes);
        // A full disk fails the photo before it is asked for, so the rest of an album fails fast.
        if (!room.Any()) {
            shared->noRoom = true;
            return;
        }
        UniqueKernelHandle file;
        std::wstring partName;
        // A stop lets the try under way finish, and no further one start.
        for (int tries = 1; !shared->stopped->load(); ++tries) {
            partName = NewPartName(shared->folder);
            file = TryOnce(*shared, room, control, partName);
            // The failed try's part file went with its handle, before the pause.
            if (file || shared->noRoom || !Http::TryAgain(shared->result, tries, control, shared->stopped.get())) break;
        }
        const bool passing = !file && !shared->noRoom && Http::FailedInPassing(shared->result);
        shared->stoppedBetweenTries = passing && shared->stopped->load();
        shared->outOfTime = passing && control.RemainingMs() < Retry::kMinLeftMs;
        if (file) {  // handed over only when the waiting side still waits
            shared->file = std::move(file);
            shared->partName = std::move(partName);
        }
        if (!control.TryFinish()) shared->file.Reset();
    };
}

// A photo answered without being taken from a transfer.
PhotoDownload Untaken(PhotoOutcome outcome, const std::wstring& url) {
    PhotoDownload download;
    download.outcome = outcome;
    download.url = url;
    return download;
}

PhotoDownload Outcome(PhotoShared& shared, TaskOutcome outcome) {
    PhotoDownload download;
    download.url = shared.url;
    switch (outcome) {
        case TaskOutcome::Done:
            download.status = shared.result.status;
            if (shared.file) {
                download.outcome = PhotoOutcome::Saved;
                download.file = std::move(shared.file);
                download.partName = shared.partName;
            } else if (shared.noRoom) {
                download.outcome = PhotoOutcome::NoRoom;
            } else if (shared.stoppedBetweenTries) {
                download.outcome = PhotoOutcome::Stopped;
            } else if (shared.result.failure == Http::Failure::TimedOut || shared.outOfTime) {
                download.outcome = PhotoOutcome::TimedOut;
            } else {
                download.outcome = PhotoOutcome::Failed;
            }
            break;
        case TaskOutcome::TimedOut: download.outcome = PhotoOutcome::TimedOut; break;
        case TaskOutcome::Quit: download.outcome = PhotoOutcome::Quit; break;
        case TaskOutcome::Failed:
        case TaskOutcome::NotStarted: download.outcome = PhotoOutcome::Failed; break;
    }
    return download;
}

class SystemSteps final : public PartFileSteps {
public:
    bool Mark(HANDLE file, bool deleteOnClose) override { return MarkForDeletion(file, deleteOnClose); }
    bool Rename(HANDLE file, const std::wstring& path) override { return RenameOpenFile(file, path); }
    bool Delete(const std::wstring& path) override { return DeleteFileW(path.c_str()) != 0; }
};

}  // namespace

struct PhotoRun::Queued {
    Queued(const std::wstring& address, const PhotoRun& run)
        : shared(std::make_shared<PhotoShared>(
              PhotoShared{address, run.folder_, run.policy_, run.stopped_, {}, {}, {}, false, false, false})),
          task(PhotoWork(shared), TaskLimits{run.policy_.limitMs, INFINITE}) {}
    std::shared_ptr<PhotoShared> shared;  // its address too
    QueuedTask task;
};

PhotoRun::PhotoRun(std::wstring folder, std::vector<std::wstring> photos, const TransferPolicy& policy)
    : folder_(std::move(folder)),
      photos_(std::move(photos)),
      policy_(policy),
      stopped_(std::make_shared<std::atomic<bool>>(false)) {
    // Judged whole once, by the policy's guard: a refused one is never asked for, nor counted among those ahead.
    refused_.reserve(photos_.size());
    for (const std::wstring& address : photos_) {
        const auto host = AddressGuard::HostToJudge(address);
        refused_.push_back(!host || !policy_.allowHost || !policy_.allowHost(*host));
    }
}

PhotoRun::~PhotoRun() {
    DropAhead();
    for (const auto& gone : dropped_) (void)gone->task.WaitEnded(kWorkerEndMs);
}

void PhotoRun::DropAhead() noexcept {
    for (auto& gone : ahead_) {
        gone->task.Cancel();
        // One that has ended goes now, and its part file with it.
        if (gone->task.HasEnded()) continue;
        try {
            dropped_.push_back(std::move(gone));
        } catch (...) {
            // not waited for at the end: it goes now, told to give up all the same
        }
    }
    ahead_.clear();
}

size_t PhotoRun::Remaining() const noexcept {
    return photos_.size() - next_;
}

PhotoDownload PhotoRun::Next() {
    if (next_ == photos_.size()) return PhotoDownload{};
    const size_t index = next_++;
    if (refused_[index]) return Untaken(PhotoOutcome::Refused, photos_[index]);
    // A click on 停 止 that waited while the photos came is honoured before one is taken. A quit ends the run as
    // a stop does: nothing more is asked for.
    if (!MessagePump::PumpPending()) {
        Stop();
        return Untaken(PhotoOutcome::Quit, photos_[index]);
    }
    if (stopped_->load()) return Untaken(PhotoOutcome::Stopped, photos_[index]);
    // What is ahead is the list's next photos, refused ones left out: this one first. Only the first photo the
    // run asks for is not on its way yet.
    std::unique_ptr<Queued> current;
    if (!ahead_.empty()) {
        current = std::move(ahead_.front());
        ahead_.pop_front();
    } else {
        current = std::make_unique<Queued>(photos_[index], *this);
        nextAsked_ = index + 1;
    }
    while (ahead_.size() < kPhotosAhead && nextAsked_ < photos_.size()) {
        const size_t at = nextAsked_++;
        if (refused_[at]) continue;
        auto next = std::make_unique<Queued>(photos_[at], *this);
        const QueuedTask& before = ahead_.empty() ? current->task : ahead_.back()->task;
        // The one before has already ended: nothing runs now, so this one starts here.
        if (!next->task.Follow(before)) next->task.Start();
        ahead_.push_back(std::move(next));
    }
    current_ = current.get();
    const TaskOutcome outcome = current->task.WaitPumping();
    current_ = nullptr;
    // A photo given up by this wait still holds its connection until its worker ends: the next one starts only
    // then (the worker starts those that follow only after a photo it finished).
    if (outcome != TaskOutcome::Done) (void)current->task.WaitEnded(kWorkerEndMs);
    return Outcome(*current->shared, outcome);
}

void PhotoRun::Stop() noexcept {
    stopped_->store(true);
    nextAsked_ = photos_.size();
    DropAhead();
    if (current_) current_->task.Wake();
}

PartFileSteps& SystemFileSteps() {
    static SystemSteps steps;
    return steps;
}

bool KeepPhoto(PhotoDownload& download, const std::wstring& path, PartFileSteps& steps) {
    if (!download.file) return false;
    const HANDLE file = download.file.Get();
    // The mark goes first: a rename that replaced an older photo must never be followed by a step that can still
    // take the new one away with its handle.
    if (!steps.Mark(file, false)) return false;
    if (steps.Rename(file, path)) return true;
    // Not renamed: the part file must go again, by its mark or, failing that, by its name.
    if (!steps.Mark(file, true)) (void)steps.Delete(download.partName);
    return false;
}

bool NamesAnotherFile(const std::wstring& folder, const std::wstring& name) {
    // Every short alias the file system makes holds a '~': other names need no look at the folder, which costs
    // several round trips to Wine's server a photo.
    if (name.find(L'~') == std::wstring::npos) return false;
    WIN32_FIND_DATAW found{};
    if (!UniqueFind(FindFirstFileW((folder + L"\\" + name).c_str(), &found))) return false;
    // The file system answers an alias with the long name of the file it stands for.
    return CompareStringOrdinal(found.cFileName, -1, name.c_str(), static_cast<int>(name.size()), TRUE) != CSTR_EQUAL;
}
