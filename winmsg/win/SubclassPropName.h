#pragma once
// The router's property names, built in place without allocation: the router builds a few for every message.
//   SubclassPropName::Proc(h)            "{h}"
//   SubclassPropName::WindowCount(h)     "C{h}"
//   SubclassPropName::MessageCount(h, m) "{h}#{m}C"
//   SubclassPropName::Entry(h, m, i)     "{h}#{m}#{i}"
// Numbers are written in decimal, negative ones with a minus sign.

#include <windows.h>

#include <cstdint>

class SubclassPropName {
public:
    // A window handle has 32 significant bits; it is written as the platform truncates it for 32-bit code
    // (HandleToLong), so the names are the ones a 32-bit program would write for the same window.
    static SubclassPropName Proc(HWND hwnd) noexcept { return SubclassPropName().Decimal(HandleToLong(hwnd)); }
    static SubclassPropName WindowCount(HWND hwnd) noexcept {
        return SubclassPropName().Char(L'C').Decimal(HandleToLong(hwnd));
    }
    static SubclassPropName MessageCount(HWND hwnd, UINT iMsg) noexcept {
        return SubclassPropName().Decimal(HandleToLong(hwnd)).Char(L'#').Decimal(MessageNumber(iMsg)).Char(L'C');
    }
    static SubclassPropName Entry(HWND hwnd, UINT iMsg, LONG_PTR position) noexcept {
        return SubclassPropName()
            .Decimal(HandleToLong(hwnd))
            .Char(L'#')
            .Decimal(MessageNumber(iMsg))
            .Char(L'#')
            .Decimal(position);
    }

    [[nodiscard]] const wchar_t* Get() const noexcept { return text_; }

private:
    // Message numbers are 32-bit signed in the names: message 0x80000001 is "-2147483647".
    static long long MessageNumber(UINT iMsg) noexcept { return static_cast<std::int32_t>(iMsg); }

    SubclassPropName& Char(wchar_t c) noexcept {
        text_[length_++] = c;
        text_[length_] = L'\0';
        return *this;
    }
    SubclassPropName& Decimal(long long value) noexcept {
        unsigned long long magnitude = static_cast<unsigned long long>(value);
        if (value < 0) {
            Char(L'-');
            magnitude = 0 - magnitude;
        }
        wchar_t digits[24];
        int n = 0;
        do {
            digits[n++] = static_cast<wchar_t>(L'0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude != 0);
        while (n > 0) Char(digits[--n]);
        return *this;
    }

    // "C", three signed 64-bit numbers and two "#" fit with room to spare.
    wchar_t text_[80]{};
    int length_ = 0;
};
