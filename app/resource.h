#pragma once

#define IDI_VERDALY 1
// The main window's layout text: persisted properties of its own controls.
#define IDR_MAINFORM_LAYOUT 200
