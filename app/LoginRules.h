#pragma once

#include <string_view>

// The site answers a failed login with its login form again.
bool IsLoginSuccess(std::wstring_view resText);

// The settings file's keys for the remembered account: the e-mail address and the password, both scrambled, and
// "T" or "F" for whether they are remembered. They are the file's format: a changed key forgets every account.
inline constexpr std::string_view kEmailKey = "1";
inline constexpr std::string_view kPasswordKey = "2";
inline constexpr std::string_view kRememberKey = "3";
