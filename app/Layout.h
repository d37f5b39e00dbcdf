#pragma once
// The main window's controls: positions in twips relative to the parent's client area, in tab order within
// each parent, so the dialog manager's traversal follows the tab indices.

#include <cstdint>

#include "app/StatusTexts.h"

enum class ControlKind : std::uint8_t { Frame, Picture, Label, Edit, Check, Radio, PushButton, ProgressBar };

enum ControlId : int {
    kNone = 0,
    // Kept away from IDOK (1) and IDCANCEL (2), which the dialog manager sends for Enter and Esc.
    kFrameUser = 100,
    kLabel1,
    kEmail,
    kLabel2,
    kPassword,
    kCheckUser,
    kNBtnLogin,
    kLoginInfo,
    kFrameAblum,
    kLabel3,
    kAlbumURLTxt,
    kNBtnClip,
    kLabel4,
    kDirPathTxt,
    kNBtnFile,
    kFrameMode,
    kNewModeContainer,
    kLabel8,
    kUrlInitName,
    kAblumUpName,
    kAblumDownName,
    kPageModeContainer,
    kUpdateModeContainer,
    kNBtnDown,
    kFrameDown,
    kDownInfo,
    kCheckNewLable,
    kNicePressBar,
};

enum class FontRole : std::uint8_t { Window, CourierNew, SongTi };

struct ControlSpec {
    ControlId id;
    const char* name;  // the control's name, for the layout resource and automation
    ControlKind kind;
    ControlId parent;  // kNone: the main window
    const wchar_t* text;
    int left, top, width, height;  // twips
    FontRole font;
};

inline constexpr int kClientWidthTwips = 7410;
inline constexpr int kClientHeightTwips = 5265;

// Ordered so that every parent comes before its children and siblings follow their tab indices.
inline constexpr ControlSpec kControls[] = {
    {kFrameUser, "FrameUser", ControlKind::Frame, kNone, L"用户信息", 120, 120, 6975, 1250, FontRole::Window},
    {kEmail, "email", ControlKind::Edit, kFrameUser, L"", 1080, 240, 2415, 375, FontRole::CourierNew},
    {kPassword, "password", ControlKind::Edit, kFrameUser, L"", 1080, 720, 2415, 375, FontRole::SongTi},
    {kCheckUser, "CheckUser", ControlKind::Check, kFrameUser, L"记住用户登录信息", 3645, 720, 2295, 375,
     FontRole::Window},
    {kNBtnLogin, "NBtnLogin", ControlKind::PushButton, kFrameUser, L"登 录", 6000, 720, 855, 375, FontRole::Window},
    {kLoginInfo, "LoginInfo", ControlKind::Label, kFrameUser, StatusText::kLoginWelcome, 3645, 340, 3105, 255,
     FontRole::Window},
    {kLabel2, "Label2", ControlKind::Label, kFrameUser, L"用户密码：", 120, 800, 1095, 255, FontRole::Window},
    {kLabel1, "Label1", ControlKind::Label, kFrameUser, L"人人帐号：", 120, 340, 1095, 255, FontRole::Window},

    {kFrameAblum, "FrameAblum", ControlKind::Frame, kNone, L"相册信息", 120, 1440, 6975, 1215, FontRole::Window},
    {kAlbumURLTxt, "albumURLTxt", ControlKind::Edit, kFrameAblum, L"", 1080, 240, 4935, 375, FontRole::CourierNew},
    {kNBtnClip, "NBtnClip", ControlKind::PushButton, kFrameAblum, L"粘 贴", 6000, 240, 855, 375, FontRole::Window},
    {kDirPathTxt, "DirPathTxt", ControlKind::Edit, kFrameAblum, L"", 1080, 720, 4935, 375, FontRole::CourierNew},
    {kNBtnFile, "NBtnFile", ControlKind::PushButton, kFrameAblum, L"目 录", 6000, 720, 855, 375, FontRole::Window},
    {kLabel4, "Label4", ControlKind::Label, kFrameAblum, L"保存目录：", 120, 750, 1095, 255, FontRole::Window},
    {kLabel3, "Label3", ControlKind::Label, kFrameAblum, L"相册地址：", 120, 330, 1095, 255, FontRole::Window},

    {kFrameMode, "FrameMode", ControlKind::Frame, kNone, L"下载配置", 120, 2760, 6975, 855, FontRole::Window},
    {kNewModeContainer, "NewModeContainer", ControlKind::Picture, kFrameMode, L"", 120, 240, 5655, 375,
     FontRole::Window},
    {kUrlInitName, "UrlInitName", ControlKind::Radio, kNewModeContainer, L"默认方案", 1080, 150, 1215, 255,
     FontRole::Window},
    {kAblumUpName, "AblumUpName", ControlKind::Radio, kNewModeContainer, L"相册升序", 2400, 150, 1095, 255,
     FontRole::Window},
    {kAblumDownName, "AblumDownName", ControlKind::Radio, kNewModeContainer, L"相册降序", 3720, 150, 1215, 255,
     FontRole::Window},
    {kLabel8, "Label8", ControlKind::Label, kNewModeContainer, L"命名方案：", 120, 165, 975, 255, FontRole::Window},
    {kNBtnDown, "NBtnDown", ControlKind::PushButton, kFrameMode, StatusText::kDownCaption, 6000, 240, 855, 420,
     FontRole::Window},
    {kUpdateModeContainer, "UpdateModeContainer", ControlKind::Picture, kFrameMode, L"", 3960, 2280, 2055, 300,
     FontRole::Window},
    {kPageModeContainer, "PageModeContainer", ControlKind::Picture, kFrameMode, L"", 480, 2280, 3135, 300,
     FontRole::Window},

    {kFrameDown, "FrameDown", ControlKind::Frame, kNone, L"下载进度", 120, 3720, 6975, 975, FontRole::Window},
    {kDownInfo, "DownInfo", ControlKind::Label, kFrameDown, StatusText::kRunWelcome, 120, 300, 5655, 255,
     FontRole::Window},
    {kNicePressBar, "NicePressBar", ControlKind::ProgressBar, kFrameDown, L"", 120, 600, 6735, 225, FontRole::Window},
    {kCheckNewLable, "CheckNewLable", ControlKind::Label, kFrameDown, L"检查更新", 6120, 280, 735, 255,
     FontRole::Window},
};
