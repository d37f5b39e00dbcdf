// The login: posting the site's form, judging the answer, unlocking the album groups and remembering
// (or forgetting) the account.
#include "CryptText.h"
#include "FormEncoding.h"
#include "Http.h"
#include "LoginRules.h"
#include "MainForm.h"
#include "MessagePump.h"
#include "SiteAddresses.h"

namespace {

constexpr int kLoginAttempts = 4;

std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(std::max(size, 0)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

}  // namespace

void MainForm::OnLoginClick() {
    // Between two attempts the window handles its messages, a queued 登 录 or Enter among them: that one must
    // not start a login inside this one.
    if (loginActive_) return;
    const std::wstring email = Text(kEmail);
    const std::wstring password = Text(kPassword);
    if (email.empty() || password.empty()) {
        SetText(kLoginInfo, L"用户名或者密码必须填写");
        Focus(email.empty() ? kEmail : kPassword);
        return;
    }
    SetText(kLoginInfo, L"开始登录，请稍候…");
    // The post blocks this thread: show the caption before it starts.
    UpdateWindow(Ctl(kLoginInfo));
    loginActive_ = true;
    XNLogin(Site::kLoginUrl, FormEncoding::LoginBody(email, password));
    loginActive_ = false;
}

void MainForm::XNLogin(const std::wstring& url, const std::wstring& message) {
    const std::string body = ToUtf8(Http::URLEncode(message));
    for (int attempt = 1; attempt <= kLoginAttempts; ++attempt) {
        std::string response;
        const Http::Result result = Http::PostForm(url, body, &response);
        if (result.status == 200) {
            // An answer whose text cannot be read counts as a success, as an empty one does. One stopped at its
            // size or time limit is judged by what arrived, so a slow "wrong account" page still says so.
            const bool readable = result.Ok() || result.failure == Http::Failure::Sink;
            const auto text = readable ? Http::BytesToText(response, L"UTF-8") : std::nullopt;
            if (!text || IsLoginSuccess(*text)) {
                LoginSucceeded();
            } else {
                SetText(kLoginInfo, L"登录失败，可能是帐号或者密码错误");
                Focus(kEmail);
                SendMessageW(Ctl(kEmail), EM_SETSEL, 0, 100);
                Enable(kFrameAblum, false);
                Enable(kFrameMode, false);
                Enable(kFrameUser, true);
            }
            return;
        }
        // Let the window repaint and its handlers run between attempts; stop if it went away meanwhile.
        if (!MessagePump::PumpPending() || !hwnd_) return;
    }
    SetText(kLoginInfo, L"登录失败，可能是网络不通");
}

void MainForm::LoginSucceeded() {
    SetText(kLoginInfo, L"登录成功，请配置相册信息");
    Enable(kFrameUser, false);
    Enable(kFrameAblum, true);
    Enable(kFrameMode, true);
    Focus(kAlbumURLTxt);

    // A value that would not restore exactly is not remembered at all.
    std::optional<std::string> email, password;
    if (IsChecked(kCheckUser)) {
        email = ScrambleText(Text(kEmail), kCryptKey);
        password = ScrambleText(Text(kPassword), kCryptKey);
    }
    const bool remember = email && password;
    Config.WriteValue(remember ? *email : std::string(), "1");
    Config.WriteValue(remember ? *password : std::string(), "2");
    Config.WriteValue(remember ? "T" : "F", "3");
    (void)Config.SaveFile(kSettingsFile);

    // Fire and forget: keeps the session warm; its answer and any failure are of no interest.
    (void)Http::FetchHTML(Site::kProbeUrl, L"UTF-8");
}
