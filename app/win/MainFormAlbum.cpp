// The album group's buttons and the download run: fetch the album page, then every photo on it, one after
// another, into the save folder; report in the bar, the status line, the button and the tray.
#include <filesystem>
#include <optional>
#include <vector>

#include "app/AlbumPage.h"
#include "services/win/Clipboard.h"
#include "services/win/DirPath.h"
#include "services/win/Http.h"
#include "services/win/MarkOfTheWeb.h"
#include "MainForm.h"
#include "services/win/PhotoTransfer.h"
#include "app/SiteAddresses.h"
#include "services/win/modTray.h"

namespace {

constexpr UINT_PTR kProgressTimerId = 1;
constexpr UINT kProgressIntervalMs = 100;
constexpr DWORD kPhotoLimitMs = 20000;
constexpr const wchar_t* kDownCaption = L"下 载";
constexpr const wchar_t* kStopCaption = L"停 止";

// The photos a run will fetch, in order: up to the first piece without an address, which ends the run.
std::vector<std::wstring> PhotosToFetch(const std::vector<std::optional<std::wstring>>& addresses) {
    std::vector<std::wstring> photos;
    for (const auto& address : addresses) {
        if (!address) break;
        if (Http::AllowedAddress(*address)) photos.push_back(*address);
    }
    return photos;
}

}  // namespace

void MainForm::OnClipClick() {
    controls_.SetText(kAlbumURLTxt, ClipboardText(Hwnd()));
}

void MainForm::OnFileClick() {
    const std::wstring folder = BrowseFolder(Hwnd(), L"请选择相册保存的目录");
    if (Hwnd()) controls_.SetText(kDirPathTxt, folder);
}

void MainForm::OnDownClick() {
    if (controls_.Text(kNBtnDown) != kDownCaption) {
        // The run notices before its next photo, and no photo after the one on its way is asked for.
        controls_.SetText(kNBtnDown, kDownCaption);
        DownFlag = L"F";
        if (photoRun_) photoRun_->Stop();
        return;
    }
    // One run at a time. A click while the page loads gives the page up; while a stopped run finishes its
    // last photo, the button already reads 下 载 but must not start a run inside it.
    if (runActive_) {
        if (pageLoading_ && !pageAbandoned_) {
            pageAbandoned_ = true;
            pageFetch_.Cancel();
        }
        return;
    }
    if (controls_.Text(kDirPathTxt).empty() || controls_.Text(kAlbumURLTxt).empty()) {
        controls_.SetText(kDownInfo, L"[相册下载失败] 相册信息或者下载模式配置错误");
        return;
    }
    runActive_ = true;
    DownloadAlbum();
    runActive_ = false;
}

NamingScheme MainForm::SelectedScheme() const {
    if (controls_.IsChecked(kAblumUpName)) return NamingScheme::AblumUpName;
    if (controls_.IsChecked(kAblumDownName)) return NamingScheme::AblumDownName;
    return NamingScheme::UrlInitName;
}

void MainForm::DownloadAlbum() {
    PhotoIndex = 0;
    SuccessCount = 0;
    FailCount = 0;
    pageAbandoned_ = false;
    const auto pageAddress = AlbumPageAddress(controls_.Text(kAlbumURLTxt), Site::kPhotoHost);
    if (!pageAddress) return FailRun();
    pageLoading_ = true;
    const auto page = Http::FetchHTML(*pageAddress, L"UTF-8", Http::kPageLimits, &pageFetch_);
    pageLoading_ = false;
    if (!Hwnd()) return;  // the window was closed during the wait: end quietly
    if (pageAbandoned_) {
        controls_.SetText(kDownInfo, L"相册下载中断…");
        return;
    }
    // An error page is no album.
    if (!page || page->status < 200 || page->status >= 300) return FailRun();

    controls_.SetText(kNBtnDown, kStopCaption);
    DownFlag = L"T";
    SaveDir = controls_.Text(kDirPathTxt);
    SetProgressValue(0);
    progressTimer_.Start(Hwnd(), kProgressTimerId, kProgressIntervalMs);
    controls_.Enable(kNewModeContainer, false);
    // The scheme of the run is the one chosen when the naming group locks: the radio buttons may be gone by its
    // last photo.
    runScheme_ = SelectedScheme();
    const auto pieces = PhotoPieces(page->text);
    PhotoCount = static_cast<int>(pieces.size());
    controls_.SetText(kDownInfo, L"正在下载，该相册有 " + std::to_wstring(PhotoCount) + L" 张照片，请耐心等待");
    runNames_ = RunFileNames();

    std::vector<std::optional<std::wstring>> addresses;
    for (const std::wstring_view piece : pieces) addresses.push_back(PhotoAddress(piece));
    PhotoRun photos(SaveDir, kPhotoLimitMs, PhotosToFetch(addresses));
    photoRun_ = &photos;
    const struct Forget {
        PhotoRun*& run;
        ~Forget() { run = nullptr; }
    } forget{photoRun_};
    for (const auto& address : addresses) {
        if (DownFlag == L"F") return StopRun();
        if (!address) return FailRun();
        const bool stopped = !DownloadPhoto(photos, *address);
        if (!Hwnd()) return;
        // Stopped while the photo paused between tries: no try starts, and the run stops at once.
        if (stopped) return StopRun();
        ++PhotoIndex;
    }

    controls_.SetText(kDownInfo, L"[相册下载结束] 成功：" + std::to_wstring(SuccessCount) + L" 张，失败：" +
                                     std::to_wstring(FailCount) + L" 张");
    controls_.SetText(kNBtnDown, kDownCaption);
    DownFlag = L"F";
    controls_.Enable(kNewModeContainer, true);
    // The timer stays on: it finishes the bar and raises the completion balloon. The probe is not waited for,
    // so the button starts the next run at once.
    Http::SendAndForget(Site::kProbeUrl);
}

void MainForm::StopRun() {
    progressTimer_.Stop();
    SetProgressValue(0);
    controls_.SetText(kDownInfo, L"相册下载中断…");
    // A stopped run gives the naming scheme back, as an ended one does.
    controls_.Enable(kNewModeContainer, true);
}

bool MainForm::DownloadPhoto(PhotoRun& photos, const std::wstring& address) {
    // A page may name any address: only a photo on the internet is fetched.
    if (!Http::AllowedAddress(address)) {
        ++FailCount;
        return true;
    }
    PhotoDownload download = photos.Download(address);
    // Quit: the program ends; Stopped: the run is stopping, and this photo is not counted.
    if (download.outcome == PhotoOutcome::Quit) return true;
    if (download.outcome == PhotoOutcome::Stopped) return false;
    if (download.outcome != PhotoOutcome::Saved) {
        ++FailCount;
        return true;
    }
    const std::wstring safeName = MakeSafeFileName(PhotoFileName(runScheme_, address, PhotoIndex, PhotoCount), PhotoIndex);
    std::wstring name = runNames_.Unique(safeName);
    // A name that the file system reads as the short alias of another file would replace that file: such a name
    // is passed over like a taken one. Bounded, as each pass takes one more name.
    for (int passes = 0; passes < 100 && NamesAnotherFile(SaveDir, name); ++passes) {
        runNames_.Take(name);
        name = runNames_.Unique(safeName);
    }
    const std::wstring path = SaveDir + L"\\" + name;
    // Only a complete photo replaces a file of that name; one that cannot be kept goes with its handle.
    if (KeepPhoto(download, path, SystemFileSteps())) {
        runNames_.Take(name);
        MarkFromInternet(path, address);
        ++SuccessCount;
    } else {
        ++FailCount;
    }
    return true;
}

void MainForm::FailRun() {
    controls_.SetText(kDownInfo, L"[相册下载失败] 相册可能不存在或者没有访问权限，参数配置错误");
    controls_.SetText(kNBtnDown, kDownCaption);
    DownFlag = L"F";
    progressTimer_.Stop();
    controls_.Enable(kNewModeContainer, true);
    ShowTrayBalloon(Hwnd(), L"相册下载失败", L"Verdaly", 0);
}

void MainForm::OnTimer() {
    if (ProgressValue() > 99) {
        progressTimer_.Stop();
        ShowTrayBalloon(Hwnd(), L"相册下载完成", L"Verdaly", 0);
    } else if (PhotoCount != 0) {
        SetProgressValue(ProgressPercent(PhotoIndex, PhotoCount));
    } else if (!runActive_) {
        // An album without photos: nothing will move the bar or finish the run, so the ended run stops the timer
        // quietly here, without the completion balloon.
        progressTimer_.Stop();
    }
}
