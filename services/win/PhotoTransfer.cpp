#include "PhotoTransfer.h"

#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "BackgroundTask.h"
#include "DiskRoom.h"
#include "Handles.h"
#include "Http.h"

namespace {

constexpr size_t kWriteBytes = 64 * 1024;

std::wstring NewTempName(const std::wstring& folder) {
    static std::atomic<unsigned> counter{0};
    return folder + L"\\~verdaly-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter) +
           L".part";
}

std::optional<std::uint64_t> FreeBytes(const std::wstring& folder) {
    ULARGE_INTEGER available{};
    if (!GetDiskFreeSpaceExW(folder.c_str(), &available, nullptr, nullptr)) return std::nullopt;
    return available.QuadPart;
}

}  // namespace

PhotoDownload DownloadToTempFile(const std::wstring& url, const std::wstring& folder, DWORD limitMs,
                                 std::uint64_t reserveBytes) {
    // Written by the worker, read by the waiting side only once the worker has finished.
    struct Shared {
        std::wstring url;
        std::wstring folder;
        std::wstring tempFile;
        std::uint64_t reserve = 0;
        Http::Result result;
        bool saved = false;
        bool noRoom = false;
    };
    auto shared = std::make_shared<Shared>();
    shared->url = url;
    shared->folder = folder;
    shared->tempFile = NewTempName(folder);
    shared->reserve = reserveBytes;

    const TaskOutcome outcome = RunWhilePumping(
        [shared, limitMs](TaskControl& control) {
            DiskRoom room([shared] { return FreeBytes(shared->folder); }, shared->reserve);
            // A full disk fails the photo before it is asked for, so the rest of an album fails fast.
            if (!room.Fits(0)) {
                shared->noRoom = true;
                return;
            }
            UniqueKernelHandle file;
            bool written = true;
            // WinINet hands the body over a few kilobytes at a time: the file gets it in larger writes.
            std::string pending;
            const auto flush = [&] {
                if (pending.empty()) return true;
                if (!room.Take(pending.size())) {
                    shared->noRoom = true;
                    return false;
                }
                DWORD done = 0;
                const DWORD size = static_cast<DWORD>(pending.size());
                const bool ok = WriteFile(file.Get(), pending.data(), size, &done, nullptr) && done == size;
                pending.clear();
                return ok;
            };
            const Http::Timeouts timeouts{limitMs, limitMs, limitMs};
            try {
                shared->result = Http::Perform(
                    Http::Request{L"GET", shared->url, {}, nullptr, timeouts},
                    [&](DWORD status, std::optional<std::uint64_t> length) {
                        // Nothing of an error page, or of an answer given up on, reaches the disk.
                        if (status < 200 || status >= 300 || control.Abandoned()) return false;
                        if (length && !room.Fits(*length)) {
                            shared->noRoom = true;
                            return false;
                        }
                        // Shared for deletion: a waiting side that gives up marks the file for deletion at
                        // once, so it goes with the last handle even when the program ends before this worker.
                        file.Reset(CreateFileW(shared->tempFile.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr,
                                               CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
                        return static_cast<bool>(file);
                    },
                    [&](const char* data, size_t size) {
                        pending.append(data, size);
                        written = pending.size() < kWriteBytes || flush();
                        return written;
                    },
                    &control);
                if (shared->result.Success()) written = written && flush();
            } catch (...) {
                written = false;  // out of memory, say: the photo failed and its file goes below
            }
            const bool created = static_cast<bool>(file);
            file.Reset();
            // An empty body is no photo.
            const bool ok = created && written && shared->result.Success() && shared->result.received > 0;
            shared->saved = ok;  // written before the hand-over, read only when the worker finished first
            if (ok && control.TryFinish()) return;
            if (created) DeleteFileW(shared->tempFile.c_str());
        },
        limitMs, Deadline::SinceStart);

    PhotoDownload download;
    switch (outcome) {
        case TaskOutcome::Done:
            download.status = shared->result.status;
            download.outcome = shared->saved    ? PhotoOutcome::Saved
                               : shared->noRoom ? PhotoOutcome::NoRoom
                                                : PhotoOutcome::Failed;
            if (shared->saved) download.tempFile = shared->tempFile;
            break;
        case TaskOutcome::TimedOut:
        case TaskOutcome::Quit:
            // The worker has usually ended and removed its file by now; one the platform could not wake has
            // the file marked for deletion here, and it goes with the worker's handle.
            DeleteFileW(shared->tempFile.c_str());
            download.outcome = outcome == TaskOutcome::Quit ? PhotoOutcome::Quit : PhotoOutcome::TimedOut;
            break;
        case TaskOutcome::Failed:
            DeleteFileW(shared->tempFile.c_str());  // the worker has ended: nothing holds the file any more
            download.outcome = PhotoOutcome::Failed;
            break;
        case TaskOutcome::NotStarted: download.outcome = PhotoOutcome::Failed; break;
    }
    return download;
}
