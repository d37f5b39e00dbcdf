#pragma once

#include <string_view>

// The site answers a failed login with its login form again.
bool IsLoginSuccess(std::wstring_view resText);
