#include "LoginRules.h"

bool IsLoginSuccess(std::wstring_view resText) {
    return resText.find(L"class=\"login\"") == std::wstring_view::npos;
}
