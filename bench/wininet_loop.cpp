// The platform's floor for an album: the plainest WinINet loop that saves photos, one after another on one
// thread, with the program's request flags and user agent and the same kind of files. What Verdaly takes
// beyond this is its own.
//   verdaly-wininet-loop URL-LIST FOLDER [COOKIE] [--same-settings | --same-design]     (one address a line)
// --same-settings: the same per-request settings as Verdaly's photos: the cookie sent as given instead of the
// platform's own lookup per request, reads of up to 256 KB, each photo into a part file marked for deletion that
// is renamed and unmarked once whole. Everything else (the worker, the deadline, the waiting window) is left out.
// --same-design: the same, in the plainest form of Verdaly's design: the photos one after another on a thread of
// the pool with an asynchronous session (the worker waits for each late call; reads take what has arrived, and
// it goes on to the next photo at once), while the main thread waits for each on an event as a window's thread
// does, and keeps the photo once it is whole.
#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr DWORD kFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                         INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_NO_UI;

bool Mark(HANDLE file, bool remove) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = remove ? TRUE : FALSE;
    return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof(disposition));
}

bool Rename(HANDLE file, const std::wstring& path) {
    std::vector<unsigned char> block(sizeof(FILE_RENAME_INFO) + path.size() * sizeof(wchar_t));
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(block.data());
    info->ReplaceIfExists = TRUE;
    info->FileNameLength = static_cast<DWORD>(path.size() * sizeof(wchar_t));
    std::memcpy(info->FileName, path.data(), info->FileNameLength);
    return SetFileInformationByHandle(file, FileRenameInfo, info, static_cast<DWORD>(block.size()));
}

// A GET of `url` on a connect handle of its own (left in `connection`, null when none could be made).
HINTERNET OpenGet(HINTERNET session, const std::wstring& url, DWORD flags, DWORD_PTR context,
                  HINTERNET* connection) {
    wchar_t host[256], object[2048];
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = 256;
    parts.lpszUrlPath = object;
    parts.dwUrlPathLength = 2048;
    *connection = InternetCrackUrlW(url.c_str(), 0, 0, &parts)
                      ? InternetConnectW(session, host, parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0)
                      : nullptr;
    return *connection ? HttpOpenRequestW(*connection, L"GET", object, nullptr, nullptr, nullptr, flags, context)
                       : nullptr;
}

bool Save(HINTERNET session, const std::wstring& url, const std::wstring& headers, const std::wstring& path,
          bool same) {
    HINTERNET connection = nullptr;
    HINTERNET request = OpenGet(session, url, kFlags | (same ? INTERNET_FLAG_NO_COOKIES : 0), 0, &connection);
    bool ok = request && HttpSendRequestW(request, headers.c_str(), static_cast<DWORD>(headers.size()), nullptr, 0);
    const std::wstring name = same ? path + L".part" : path;
    HANDLE file = ok ? CreateFileW(name.c_str(), GENERIC_WRITE | DELETE, same ? FILE_SHARE_DELETE : 0, nullptr,
                                   same ? CREATE_NEW : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)
                     : INVALID_HANDLE_VALUE;
    ok = file != INVALID_HANDLE_VALUE && (!same || Mark(file, true));
    static std::vector<char> buffer(256 * 1024);
    const DWORD size = same ? static_cast<DWORD>(buffer.size()) : 65536;
    DWORD got = 0;
    while (ok && (ok = InternetReadFile(request, buffer.data(), size, &got)) && got) {
        DWORD written = 0;
        ok = WriteFile(file, buffer.data(), got, &written, nullptr) && written == got;
    }
    if (ok && same) ok = Rename(file, path) && Mark(file, false);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    if (request) InternetCloseHandle(request);
    if (connection) InternetCloseHandle(connection);
    return ok;
}

// The plainest form of the design: what the platform takes for a worker that owns an asynchronous request and a
// waiting thread, with nothing of Verdaly's own.
struct Design {
    HANDLE completed = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    std::atomic<DWORD> error{0};
};

void CALLBACK OnStatus(HINTERNET, DWORD_PTR context, DWORD status, void* info, DWORD) {
    if (status != INTERNET_STATUS_REQUEST_COMPLETE || !context) return;
    auto* design = reinterpret_cast<Design*>(context);
    const auto* result = static_cast<const INTERNET_ASYNC_RESULT*>(info);
    design->error = result->dwResult ? 0 : result->dwError;
    SetEvent(design->completed);
}

struct Job {
    HINTERNET session;
    std::wstring url, headers, path;
    HANDLE file = INVALID_HANDLE_VALUE;
    bool ok = false;
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
};

bool Wait(Design& design, BOOL ok) {
    if (ok) return true;
    if (GetLastError() != ERROR_IO_PENDING) return false;
    WaitForSingleObject(design.completed, INFINITE);
    return design.error == 0;
}

void CALLBACK Work(PTP_CALLBACK_INSTANCE, void* context) {
    auto* job = static_cast<Job*>(context);
    static Design design;
    HINTERNET connection = nullptr;
    HINTERNET request = OpenGet(job->session, job->url, kFlags | INTERNET_FLAG_NO_COOKIES,
                                reinterpret_cast<DWORD_PTR>(&design), &connection);
    bool ok = request && Wait(design, HttpSendRequestW(request, job->headers.c_str(),
                                                        static_cast<DWORD>(job->headers.size()), nullptr, 0));
    const std::wstring name = job->path + L".part";
    job->file = ok ? CreateFileW(name.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr)
                   : INVALID_HANDLE_VALUE;
    ok = job->file != INVALID_HANDLE_VALUE && Mark(job->file, true);
    static std::vector<char> buffer(256 * 1024);
    while (ok) {
        INTERNET_BUFFERSW read{};
        read.dwStructSize = sizeof(read);
        read.lpvBuffer = buffer.data();
        read.dwBufferLength = static_cast<DWORD>(buffer.size());
        const BOOL now = InternetReadFileExW(request, &read, IRF_NO_WAIT, 0);
        if (!now && GetLastError() == ERROR_IO_PENDING) {
            ok = Wait(design, FALSE);  // data has come, or the end: the next read tells
            continue;
        }
        if (!now || read.dwBufferLength == 0) break;
        DWORD written = 0;
        ok = WriteFile(job->file, buffer.data(), read.dwBufferLength, &written, nullptr) &&
             written == read.dwBufferLength;
    }
    if (request) InternetCloseHandle(request);
    if (connection) InternetCloseHandle(connection);
    job->ok = ok;
    SetEvent(job->done);
}

// The worker's side: every photo in turn, each one's end told on its own event.
void CALLBACK WorkAll(PTP_CALLBACK_INSTANCE instance, void* context) {
    for (Job& job : *static_cast<std::vector<Job>*>(context)) Work(instance, &job);
}

// The waiting side: each photo kept as soon as it is whole; the number kept.
int SaveAllByDesign(HINTERNET session, const std::vector<std::wstring>& urls, const std::wstring& headers,
                    const std::wstring& folder) {
    std::vector<Job> jobs;
    for (size_t i = 0; i < urls.size(); ++i)
        jobs.push_back(Job{session, urls[i], headers, folder + L"\\" + std::to_wstring(i + 1) + L".jpg"});
    if (!TrySubmitThreadpoolCallback(&WorkAll, &jobs, nullptr)) return 0;
    int saved = 0;
    for (Job& job : jobs) {
        MsgWaitForMultipleObjectsEx(1, &job.done, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        WaitForSingleObject(job.done, INFINITE);
        CloseHandle(job.done);
        saved += job.ok && Rename(job.file, job.path) && Mark(job.file, false) ? 1 : 0;
        if (job.file != INVALID_HANDLE_VALUE) CloseHandle(job.file);
    }
    return saved;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: verdaly-wininet-loop URL-LIST FOLDER [COOKIE] [--same-settings]\n");
        return 2;
    }
    std::wifstream list(argv[1]);
    std::vector<std::wstring> urls;
    for (std::wstring line; std::getline(list, line);)
        if (!line.empty()) urls.push_back(line);
    const std::wstring folder = argv[2];
    const bool same = argc > 4 && std::wcscmp(argv[4], L"--same-settings") == 0;
    const bool design = argc > 4 && std::wcscmp(argv[4], L"--same-design") == 0;
    const std::wstring headers = argc > 3 && *argv[3] ? L"Cookie: " + std::wstring(argv[3]) + L"\r\n" : L"";
    HINTERNET session = InternetOpenW(L"Mozilla/4.0 (compatible; MSIE 8.0; Windows NT 6.1; Verdaly)",
                                      INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, design ? INTERNET_FLAG_ASYNC : 0);
    if (design) InternetSetStatusCallbackW(session, &OnStatus);
    int saved = 0;
    if (design) {
        saved = SaveAllByDesign(session, urls, headers, folder);
    } else {
        for (size_t i = 0; i < urls.size(); ++i)
            saved += Save(session, urls[i], headers, folder + L"\\" + std::to_wstring(i + 1) + L".jpg", same) ? 1 : 0;
    }
    InternetCloseHandle(session);
    printf("%d\n", saved);
    return saved == static_cast<int>(urls.size()) ? 0 : 1;
}
