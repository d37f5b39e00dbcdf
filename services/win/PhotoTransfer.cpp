#include "PhotoTransfer.h"

#include <atomic>
#include <memory>

#include "BackgroundTask.h"
#include "Handles.h"
#include "Http.h"

namespace {

std::wstring NewTempName(const std::wstring& folder) {
    static std::atomic<unsigned> counter{0};
    return folder + L"\\~verdaly-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter) +
           L".part";
}

}  // namespace

PhotoDownload DownloadToTempFile(const std::wstring& url, const std::wstring& folder, DWORD limitMs) {
    struct Shared {
        std::wstring url;
        std::wstring tempFile;
        Http::Result result;
        bool saved = false;
    };
    auto shared = std::make_shared<Shared>();
    shared->url = url;
    shared->tempFile = NewTempName(folder);

    const TaskOutcome outcome = RunWhilePumping(
        [shared, limitMs](TaskControl& control) {
            // Shared for deletion: a waiting side that gives up marks the file for deletion at once, so it goes
            // with the last handle even when the program ends before this worker does.
            UniqueKernelHandle file(CreateFileW(shared->tempFile.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr,
                                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!file) return;
            bool written = true;
            const Http::Timeouts timeouts{limitMs, limitMs, limitMs};
            try {
                shared->result = Http::Perform(
                    L"GET", shared->url, {}, nullptr, timeouts,
                    [&](const char* data, size_t size) {
                        DWORD done = 0;
                        written =
                            WriteFile(file.Get(), data, static_cast<DWORD>(size), &done, nullptr) && done == size;
                        return written;
                    },
                    &control);
            } catch (...) {
                written = false;  // out of memory, say: the photo failed and its file goes below
            }
            file.Reset();
            // An empty body is no photo, and an error page is not one either.
            const bool ok = written && shared->result.Success() && shared->result.received > 0;
            shared->saved = ok;  // written before the hand-over, read only when the worker finished first
            if (ok && control.TryFinish()) return;
            DeleteFileW(shared->tempFile.c_str());
        },
        limitMs, Deadline::SinceStart);

    PhotoDownload download;
    switch (outcome) {
        case TaskOutcome::Done:
            download.status = shared->result.status;
            download.outcome = shared->saved ? PhotoOutcome::Saved : PhotoOutcome::Failed;
            if (shared->saved) download.tempFile = shared->tempFile;
            break;
        case TaskOutcome::TimedOut:
            DeleteFileW(shared->tempFile.c_str());
            download.outcome = PhotoOutcome::TimedOut;
            break;
        case TaskOutcome::Quit:
            DeleteFileW(shared->tempFile.c_str());
            download.outcome = PhotoOutcome::Quit;
            break;
        case TaskOutcome::Failed:
            DeleteFileW(shared->tempFile.c_str());  // the worker has ended: nothing holds the file any more
            download.outcome = PhotoOutcome::Failed;
            break;
        case TaskOutcome::NotStarted: download.outcome = PhotoOutcome::Failed; break;
    }
    return download;
}
