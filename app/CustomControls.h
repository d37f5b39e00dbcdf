#pragma once
// The main window's push buttons (our isButton) and progress bar, created from the layout. Buttons report clicks
// to their parent as WM_COMMAND / BN_CLICKED and keep their caption as window text, so SetWindowText changes the
// caption and repaints; the bar shows a whole percentage.

#include <windows.h>

#include "Layout.h"

HWND CreatePushButton(const ControlSpec& entry, HWND parent, const RECT& rect, HFONT font);
HWND CreateProgressBar(const ControlSpec& entry, HWND parent, const RECT& rect, HFONT font);

void SetProgressBarValue(HWND bar, int value);
int ProgressBarValue(HWND bar);
