#include "ProgressBarReader.h"

#include "ProgressBarDrawing.h"

namespace progressbar {

reader::Description DescribeForReader(const ProgressBarModel& model, const reader::WindowFacts& facts,
                                      wchar_t decimalSeparator) {
    reader::Description d;
    d.role = reader::kRoleProgressBar;
    // The caption shows the text only with an effect that draws it; a percentage or a count shown instead is the
    // value, not a name.
    const bool showsText =
        model.Props().TextStyle == 3 && model.Props().TextEffect >= 1 && model.Props().TextEffect <= 5;
    if (showsText) d.name = model.Props().Text;
    d.value = FormatNumber(Percentage(model.Value(), model.Props().Max), decimalSeparator) + L"%";
    d.state = (facts.platformState & reader::kPlatformStates) | reader::kStateReadOnly;
    if (!facts.available || !model.Props().Enabled) d.state |= reader::kStateUnavailable;
    return d;
}

}  // namespace progressbar
