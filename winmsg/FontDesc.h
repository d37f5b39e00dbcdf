#pragma once
// A font as a property: face, size in points, weight and styles, character set. Drawing code makes a platform font
// from it when it needs one. Each holder starts it from its own default face (the controls' and the skin's differ).

#include <memory>
#include <string>

struct FontDesc {
    std::wstring Name;
    double Size = 8.25;  // points
    int Weight = 400;
    bool Italic = false;
    bool Underline = false;
    bool Strikethrough = false;
    int Charset = 1;  // the platform's "default" character set

    [[nodiscard]] bool Bold() const noexcept { return Weight >= 700; }
    friend bool operator==(const FontDesc&, const FontDesc&) = default;
};

// A font shared between its holders: a holder that is given one keeps the caller's object itself, so a later
// change through either is seen by both.
using SharedFont = std::shared_ptr<FontDesc>;
