#pragma once
// The persisted property sets of a window's controls, one block per control instance name, kept as one
// UTF-8 text (resources/MainForm.layout, compiled in as RCDATA). The format:
//
//   # a comment (also ';'), blank lines ignored
//   [NicePressBar]                  a block: the instance's name on its container
//   Theme = 8                       an entry: name = value, surrounding blanks ignored
//   Text = "NicePressBar"           text in double quotes, with \" \\ \n \r \t escapes
//   TextForeColor = 0x000000FF      colours in hex (0x00BBGGRR) or decimal
//   Enabled = False                 True / False
//   TextFont = "宋体", 9, 400, 0, 0, 0, 134   face, points, weight, italic, underline, strikethrough, charset
//
// Entries keep their order; an entry equal to its default is simply not there.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "PropertyBag.h"

class LayoutSet {
public:
    // Lines that are not a block header, an entry inside a block, a comment or blank are skipped, so a damaged
    // line costs only its own entry. A repeated block name adds to the first block.
    static LayoutSet Parse(std::string_view utf8);
    [[nodiscard]] std::string Serialize() const;

    [[nodiscard]] const PropertyBag* Find(std::wstring_view instance) const;
    PropertyBag& Block(std::wstring_view instance);  // found or appended
    [[nodiscard]] const std::vector<std::pair<std::wstring, PropertyBag>>& Blocks() const noexcept { return blocks_; }

private:
    std::vector<std::pair<std::wstring, PropertyBag>> blocks_;
};
