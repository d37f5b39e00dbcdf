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
    PhotoRun run(argv[2], {argv[1]}, TransferPolicy{&AnyHost, 0, 60000});
    return run.Next().outcome == PhotoOutcome::Saved ? 0 : 1;
}
