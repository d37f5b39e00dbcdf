#pragma once
// Value types that a hosted control and its container share: colours and font descriptions.

#include <string>

#include "winmsg/Color.h"

// A font as a property: face, size in points, weight and styles, character set. Drawing code makes a platform
// font from it when it needs one.
struct FontDesc {
    std::wstring Name = L"Tahoma";
    double Size = 8.25;  // points
    int Weight = 400;
    bool Italic = false;
    bool Underline = false;
    bool Strikethrough = false;
    int Charset = 1;  // the platform's "default" character set

    [[nodiscard]] bool Bold() const noexcept { return Weight >= 700; }
    friend bool operator==(const FontDesc&, const FontDesc&) = default;
};
