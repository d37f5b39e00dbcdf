// The platform's floor for an album: the plainest WinINet loop that saves photos, one after another on one
// thread, with the program's request flags and user agent and the same kind of files. What Verdaly takes
// beyond this is its own.
//   verdaly-wininet-loop URL-LIST FOLDER [COOKIE]     (one address a line; prints the count saved)
#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

bool Save(HINTERNET session, const std::wstring& url, const std::wstring& headers, const std::wstring& path) {
    wchar_t host[256], object[2048];
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = 256;
    parts.lpszUrlPath = object;
    parts.dwUrlPathLength = 2048;
    if (!InternetCrackUrlW(url.c_str(), 0, 0, &parts)) return false;
    HINTERNET connection =
        InternetConnectW(session, host, parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    HINTERNET request = HttpOpenRequestW(connection, L"GET", object, nullptr, nullptr, nullptr,
                                         INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                             INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_KEEP_CONNECTION |
                                             INTERNET_FLAG_NO_UI,
                                         0);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    bool ok = request && file != INVALID_HANDLE_VALUE &&
              HttpSendRequestW(request, headers.c_str(), static_cast<DWORD>(headers.size()), nullptr, 0);
    static char buffer[65536];
    DWORD got = 0;
    while (ok && (ok = InternetReadFile(request, buffer, sizeof buffer, &got)) && got) {
        DWORD written = 0;
        ok = WriteFile(file, buffer, got, &written, nullptr) && written == got;
    }
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    if (request) InternetCloseHandle(request);
    if (connection) InternetCloseHandle(connection);
    return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: verdaly-wininet-loop URL-LIST FOLDER [COOKIE]\n");
        return 2;
    }
    std::wifstream list(argv[1]);
    std::vector<std::wstring> urls;
    for (std::wstring line; std::getline(list, line);)
        if (!line.empty()) urls.push_back(line);
    const std::wstring folder = argv[2];
    const std::wstring headers = argc > 3 ? L"Cookie: " + std::wstring(argv[3]) + L"\r\n" : L"";
    HINTERNET session = InternetOpenW(L"Mozilla/4.0 (compatible; MSIE 8.0; Windows NT 6.1; Verdaly)",
                                      INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    int saved = 0;
    for (size_t i = 0; i < urls.size(); ++i)
        saved += Save(session, urls[i], headers, folder + L"\\" + std::to_wstring(i + 1) + L".jpg") ? 1 : 0;
    InternetCloseHandle(session);
    printf("%d\n", saved);
    return saved == static_cast<int>(urls.size()) ? 0 : 1;
}
