#include "ProgressBarReader.h"

#include "ProgressBarDrawing.h"

namespace progressbar {

reader::Description DescribeForReader(const ProgressBarModel& model, const reader::WindowFacts& facts,
                                      wchar_t decimalSeparator) {
    reader::Description d;
    d.role = reader::kRoleProgressBar;
    // The caption shows the text only with an effect that draws it; a percentage or a count shown instead is the
    // value, not a name.
    const bool showsText = model.TextStyle() == 3 && model.TextEffect() >= 1 && model.TextEffect() <= 5;
    if (showsText) d.name = model.Text();
    d.value = FormatNumber(Percentage(model.Value(), model.Max()), decimalSeparator) + L"%";
    d.state = (facts.platformState & reader::kPlatformStates) | reader::kStateReadOnly;
    if (!facts.available || !model.Enabled()) d.state |= reader::kStateUnavailable;
    return d;
}

unsigned ReaderChangesFor(std::wstring_view property) noexcept {
    if (property == L"Value" || property == L"Max") return reader::kValueChange;
    if (property == L"Text" || property == L"TextStyle" || property == L"TextEffect") return reader::kNameChange;
    if (property == L"Enabled") return reader::kStateChange;
    return reader::kNoChange;
}

}  // namespace progressbar
