#pragma once
// The button as a screen reader hears it: push or check button, its caption as name, its shortcut and default
// action, and its states from the model, the container and the window.


#include "ButtonCore.h"
#include "controls/host/ReaderDescription.h"

namespace button {

[[nodiscard]] reader::Description DescribeForReader(const ButtonCore& core, const reader::WindowFacts& facts);

}  // namespace button
