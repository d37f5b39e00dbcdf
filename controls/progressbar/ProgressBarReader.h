#pragma once
// The progress bar as a screen reader hears it: its value is the percentage the bar's drawing computes, its name
// the bar's own text when the bar shows that text.


#include "ProgressBarModel.h"
#include "controls/host/ReaderDescription.h"

namespace progressbar {

[[nodiscard]] reader::Description DescribeForReader(const ProgressBarModel& model, const reader::WindowFacts& facts,
                                                    wchar_t decimalSeparator = L'.');

}  // namespace progressbar
