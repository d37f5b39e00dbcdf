#pragma once
// The error the router and the object timers raise to their callers: a number (the object-error base with a code),
// a source naming the program, and a fixed English description. Callers look at Number() to tell them apart.

#include <windows.h>

#include <cstdint>
#include <stdexcept>
#include <string>

enum class ComponentErrorCode : std::int32_t {
    CantSubclass = 13081,
    AlreadyHandled = 13082,
    InvalidWindow = 13083,
    ExternalWindow = 13084,
    TooManyTimers = 13651,
    CantCreateTimer = 13652,
};

class ComponentError : public std::runtime_error {
public:
    static constexpr std::uint32_t kObjectErrorBase = 0x80040000u;

    explicit ComponentError(ComponentErrorCode code);

    [[nodiscard]] ComponentErrorCode Code() const noexcept { return code_; }
    // 0x80040000 | code, as the signed 32-bit value callers compare with.
    [[nodiscard]] std::int32_t Number() const noexcept {
        return static_cast<std::int32_t>(kObjectErrorBase | static_cast<std::uint32_t>(code_));
    }
    // The executable's base name followed by ".WindowProc".
    [[nodiscard]] const std::wstring& Source() const noexcept { return source_; }
    [[nodiscard]] const std::wstring& Description() const noexcept { return description_; }

    [[nodiscard]] static const wchar_t* DescriptionOf(ComponentErrorCode code) noexcept;

private:
    ComponentErrorCode code_;
    std::wstring source_;
    std::wstring description_;
};
