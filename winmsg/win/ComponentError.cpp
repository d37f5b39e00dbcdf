#include "ComponentError.h"

#include <string_view>

namespace {

std::wstring ProgramBaseName() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    const size_t slash = path.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos && dot > 0) name.resize(dot);
    return name;
}

// The descriptions are plain ASCII, so what() can carry them too.
std::string Narrow(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (wchar_t c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return out;
}

}  // namespace

const wchar_t* ComponentError::DescriptionOf(ComponentErrorCode code) noexcept {
    switch (code) {
        case ComponentErrorCode::CantSubclass: return L"Can't subclass window";
        case ComponentErrorCode::AlreadyHandled: return L"Message already handled by another class";
        case ComponentErrorCode::InvalidWindow: return L"Invalid window";
        case ComponentErrorCode::ExternalWindow: return L"Can't modify external window";
        case ComponentErrorCode::TooManyTimers: return L"No more than 10 timers allowed per class";
        case ComponentErrorCode::CantCreateTimer: return L"Can't create system timer";
    }
    return L"";
}

ComponentError::ComponentError(ComponentErrorCode code)
    : std::runtime_error(Narrow(DescriptionOf(code))),
      code_(code),
      source_(ProgramBaseName() + L".WindowProc"),
      description_(DescriptionOf(code)) {}
