#pragma once

#define IDI_VERDALY 1
// The main window's layout text: persisted properties of its own controls.
#define IDR_MAINFORM_LAYOUT 200
// The two skin pictures of the window's frame (drawn by resources/make_skin.py).
#define IDB_SKIN_CAPTION 300
#define IDB_SKIN_BORDER 301
