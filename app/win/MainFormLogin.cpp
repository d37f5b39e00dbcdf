// The login: posting the site's form, judging the answer, unlocking the album groups and remembering
// (or forgetting) the account.
#include "services/win/CryptText.h"
#include "services/FormEncoding.h"
#include "services/win/Http.h"
#include "services/win/HttpText.h"
#include "app/LoginRules.h"
#include "MainForm.h"
#include "winmsg/win/MessagePump.h"
#include "app/SiteAddresses.h"
#include "app/StatusTexts.h"
#include "winmsg/Utf8.h"

namespace {

constexpr int kLoginAttempts = 4;

}  // namespace

void MainForm::OnLoginClick() {
    // Between two attempts the window handles its messages, a queued 登 录 or Enter among them: that one must
    // not start a login inside this one.
    if (loginActive_) return;
    const std::wstring email = controls_.Text(kEmail);
    const std::wstring password = controls_.Text(kPassword);
    if (email.empty() || password.empty()) {
        controls_.SetText(kLoginInfo, StatusText::kLoginMissing);
        controls_.Focus(email.empty() ? kEmail : kPassword);
        return;
    }
    controls_.SetText(kLoginInfo, StatusText::kLoginStarted);
    // The post blocks this thread: show the caption before it starts.
    UpdateWindow(controls_.Ctl(kLoginInfo));
    loginActive_ = true;
    XNLogin(Site::kLoginUrl, FormEncoding::LoginBody(email, password));
    loginActive_ = false;
}

void MainForm::XNLogin(const std::wstring& url, const std::wstring& message) {
    const std::string body = WideToUtf8(Http::URLEncode(message));
    for (int attempt = 1; attempt <= kLoginAttempts; ++attempt) {
        std::string response;
        const Http::Result result = Http::PostForm(url, body, &response);
        if (result.status == 200) {
            // An answer is judged by what arrived, whether it ended, was cut, or was stopped at its size limit or
            // its deadline: a login form in the part that came is a wrong account, however the rest went. An
            // answer whose text cannot be read counts as a success, as an empty one does.
            const auto text = Http::BytesToText(response, L"UTF-8");
            if (!text || IsLoginSuccess(*text)) {
                LoginSucceeded();
            } else {
                controls_.SetText(kLoginInfo, StatusText::kLoginWrongAccount);
                controls_.Focus(kEmail);
                SendMessageW(controls_.Ctl(kEmail), EM_SETSEL, 0, 100);
                controls_.Enable(kFrameAblum, false);
                controls_.Enable(kFrameMode, false);
                controls_.Enable(kFrameUser, true);
            }
            return;
        }
        // Let the window repaint and its handlers run between attempts; stop if it went away meanwhile.
        if (!MessagePump::PumpPending() || !Hwnd()) return;
    }
    controls_.SetText(kLoginInfo, StatusText::kLoginNoNetwork);
}

void MainForm::LoginSucceeded() {
    controls_.SetText(kLoginInfo, StatusText::kLoginSucceeded);
    controls_.Enable(kFrameUser, false);
    controls_.Enable(kFrameAblum, true);
    controls_.Enable(kFrameMode, true);
    controls_.Focus(kAlbumURLTxt);

    // A value that would not restore exactly is not remembered at all.
    std::optional<std::string> email, password;
    if (controls_.IsChecked(kCheckUser)) {
        email = ScrambleText(controls_.Text(kEmail), kCryptKey);
        password = ScrambleText(controls_.Text(kPassword), kCryptKey);
    }
    const bool remember = email && password;
    Config.WriteValue(remember ? *email : std::string(), kEmailKey);
    Config.WriteValue(remember ? *password : std::string(), kPasswordKey);
    Config.WriteValue(remember ? "T" : "F", kRememberKey);
    (void)Config.SaveFile(kSettingsFile);

    // Fire and forget: keeps the session warm; its answer and any failure are of no interest.
    Http::SendAndForget(Site::kProbeUrl);
}
