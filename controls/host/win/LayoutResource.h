#pragma once
// A window's layout text (LayoutSet format) compiled into the module as RCDATA.

#include <windows.h>

#include "controls/host/LayoutSet.h"

// An empty set when the module has no such resource.
[[nodiscard]] LayoutSet LoadLayoutResource(HMODULE module, int resourceId);
