#pragma once
// Every address the program talks to, in one place.

namespace Site {

inline constexpr const wchar_t* kLoginUrl = L"http://www.renren.com/PLogin.do";
// Any public profile answers; the request only keeps the site session warm after a login and a run.
inline constexpr const wchar_t* kProbeUrl = L"http://www.renren.com/getuser.do?id=200000000";
inline constexpr const wchar_t* kPhotoHost = L"photo.renren.com";
inline constexpr const wchar_t* kHomePage = L"https://verdaly.org/";

}  // namespace Site
