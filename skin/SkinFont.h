#pragma once
// A font as the skin's properties hold it: a description shared between its holders (a write stores the caller's
// object itself), from which the painter makes a platform font for each paint.

#include <memory>
#include <string>

struct SkinFont {
    std::wstring Name = L"MS Sans Serif";
    double Size = 8.25;  // points
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool Strikethrough = false;
    int Charset = 1;  // the platform's "default" character set
};

using SharedSkinFont = std::shared_ptr<SkinFont>;
