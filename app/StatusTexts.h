#pragma once
// Every text the window reports with, in one place: the login and run status lines, the download button's
// captions and the tray's. Users and the end-to-end tests read them as they are, to the character.

#include <string>

namespace StatusText {

// The login line (LoginInfo).
inline constexpr const wchar_t* kLoginWelcome = L"公益软件，请放心使用人人网账号登录";
inline constexpr const wchar_t* kLoginMissing = L"用户名或者密码必须填写";
inline constexpr const wchar_t* kLoginStarted = L"开始登录，请稍候…";
inline constexpr const wchar_t* kLoginWrongAccount = L"登录失败，可能是帐号或者密码错误";
inline constexpr const wchar_t* kLoginNoNetwork = L"登录失败，可能是网络不通";
inline constexpr const wchar_t* kLoginSucceeded = L"登录成功，请配置相册信息";

// The run's line (DownInfo).
inline constexpr const wchar_t* kRunWelcome = L"必须登录人人网，配置相册信息，才能下载相册";
inline constexpr const wchar_t* kRunBadSettings = L"[相册下载失败] 相册信息或者下载模式配置错误";
inline constexpr const wchar_t* kRunFailed = L"[相册下载失败] 相册可能不存在或者没有访问权限，参数配置错误";
inline constexpr const wchar_t* kRunStopped = L"相册下载中断…";
inline std::wstring RunStarted(int photos) {
    return L"正在下载，该相册有 " + std::to_wstring(photos) + L" 张照片，请耐心等待";
}
inline std::wstring RunEnded(int saved, int failed) {
    return L"[相册下载结束] 成功：" + std::to_wstring(saved) + L" 张，失败：" + std::to_wstring(failed) + L" 张";
}

// The download button: 下 载 starts a run, 停 止 stops the one under way.
inline constexpr const wchar_t* kDownCaption = L"下 载";
inline constexpr const wchar_t* kStopCaption = L"停 止";

// The tray: the icon's tip and the balloons' title, the balloons, and the tip while a run goes on.
inline constexpr const wchar_t* kTrayTitle = L"Verdaly";
inline constexpr const wchar_t* kTrayRunning = L"正在下载中…";
inline constexpr const wchar_t* kTrayThanks = L"谢谢您的支持";
inline constexpr const wchar_t* kTrayRunFailed = L"相册下载失败";
inline constexpr const wchar_t* kTrayRunDone = L"相册下载完成";

}  // namespace StatusText
