// Downloads one photo into a folder and is killed in the middle by the test that started it:
// verdaly-part-writer URL FOLDER. Ends by itself after a minute.
#include <windows.h>

#include "services/win/PhotoTransfer.h"

namespace {
bool AnyHost(std::wstring_view) {
    return true;  // the test's own server on this machine
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 2;
    const PhotoDownload download = DownloadToTempFile(argv[1], argv[2], 60000, 0, &AnyHost);
    return download.outcome == PhotoOutcome::Saved ? 0 : 1;
}
