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
#include "app/StatusTexts.h"
#include "services/win/modTray.h"

namespace {

// The run's bar moves on a timer. What a photo may do (its time limit, the disk reserve, the address rules) is
// the transfers' kProductPolicy, and how many photos go ahead kPhotosAhead, both in services/win/PhotoTransfer.h.
constexpr UINT_PTR kProgressTimerId = 1;
constexpr UINT kProgressIntervalMs = 100;

// The photos of a page in order, up to the first piece without an address, which ends the run.
struct PagePhotos {
    std::vector<std::wstring> addresses;  // refused ones too: the run answers them as failures
    bool cut = false;                     // a piece without an address came after them
};

PagePhotos PhotosOnPage(const std::vector<std::wstring_view>& pieces) {
    PagePhotos photos;
    for (const std::wstring_view piece : pieces) {
        auto address = PhotoAddress(piece);
        if (!address) {
            photos.cut = true;
            break;
        }
        photos.addresses.push_back(std::move(*address));
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
    if (controls_.Text(kNBtnDown) != StatusText::kDownCaption) {
        // The run notices before its next photo, and no photo after the one on its way is asked for.
        controls_.SetText(kNBtnDown, StatusText::kDownCaption);
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
        controls_.SetText(kDownInfo, StatusText::kRunBadSettings);
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
        controls_.SetText(kDownInfo, StatusText::kRunStopped);
        return;
    }
    // An error page is no album.
    if (!page || page->status < 200 || page->status >= 300) return FailRun();
    const auto pieces = PhotoPieces(page->text);
    StartRun(static_cast<int>(pieces.size()));
    RunPhotos(pieces);
}

void MainForm::StartRun(int photoCount) {
    controls_.SetText(kNBtnDown, StatusText::kStopCaption);
    DownFlag = L"T";
    SaveDir = controls_.Text(kDirPathTxt);
    SetProgressValue(0);
    progressTimer_.Start(Hwnd(), kProgressTimerId, kProgressIntervalMs);
    controls_.Enable(kNewModeContainer, false);
    // The scheme of the run is the one chosen when the naming group locks: the radio buttons may be gone by its
    // last photo.
    runScheme_ = SelectedScheme();
    PhotoCount = photoCount;
    controls_.SetText(kDownInfo, StatusText::RunStarted(PhotoCount));
    runNames_ = RunFileNames();
}

void MainForm::RunPhotos(const std::vector<std::wstring_view>& pieces) {
    PagePhotos listed = PhotosOnPage(pieces);
    PhotoRun photos(SaveDir, std::move(listed.addresses), kProductPolicy);
    photoRun_ = &photos;
    const struct Forget {
        PhotoRun*& run;
        ~Forget() { run = nullptr; }
    } forget{photoRun_};
    while (photos.Remaining() > 0) {
        if (DownFlag == L"F") return StopRun();
        const bool stopped = !TakePhoto(photos.Next());
        if (!Hwnd()) return;
        // Stopped while the photo paused between tries: no try starts, and the run stops at once.
        if (stopped) return StopRun();
        ++PhotoIndex;
    }
    // A piece without an address fails the run, unless 停 止 came first.
    if (listed.cut) return DownFlag == L"F" ? StopRun() : FailRun();

    controls_.SetText(kDownInfo, StatusText::RunEnded(SuccessCount, FailCount));
    controls_.SetText(kNBtnDown, StatusText::kDownCaption);
    DownFlag = L"F";
    controls_.Enable(kNewModeContainer, true);
    // The timer stays on: it finishes the bar and raises the completion balloon. The probe is not waited for,
    // so the button starts the next run at once.
    Http::SendAndForget(Site::kProbeUrl);
}

void MainForm::StopRun() {
    progressTimer_.Stop();
    SetProgressValue(0);
    controls_.SetText(kDownInfo, StatusText::kRunStopped);
    // A stopped run gives the naming scheme back, as an ended one does.
    controls_.Enable(kNewModeContainer, true);
}

bool MainForm::TakePhoto(PhotoDownload download) {
    // Quit: the program ends; Stopped: the run is stopping, and this photo is not counted. A refused address
    // (a page may name any) counts as a failed photo.
    if (download.outcome == PhotoOutcome::Quit) return true;
    if (download.outcome == PhotoOutcome::Stopped) return false;
    if (download.outcome != PhotoOutcome::Saved) {
        ++FailCount;
        return true;
    }
    const std::wstring& address = download.url;
    const std::wstring safeName =
        MakeSafeFileName(PhotoFileName(runScheme_, address, PhotoIndex, PhotoCount), PhotoIndex);
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
    controls_.SetText(kDownInfo, StatusText::kRunFailed);
    controls_.SetText(kNBtnDown, StatusText::kDownCaption);
    DownFlag = L"F";
    progressTimer_.Stop();
    controls_.Enable(kNewModeContainer, true);
    ShowTrayBalloon(Hwnd(), StatusText::kTrayRunFailed, StatusText::kTrayTitle, 0);
}

void MainForm::OnTimer() {
    if (ProgressValue() > 99) {
        progressTimer_.Stop();
        ShowTrayBalloon(Hwnd(), StatusText::kTrayRunDone, StatusText::kTrayTitle, 0);
    } else if (PhotoCount != 0) {
        SetProgressValue(ProgressPercent(PhotoIndex, PhotoCount));
    } else if (!runActive_) {
        // An album without photos: nothing will move the bar or finish the run, so the ended run stops the timer
        // quietly here, without the completion balloon.
        progressTimer_.Stop();
    }
}
