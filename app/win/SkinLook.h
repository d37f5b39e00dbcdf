#pragma once
// The program's skin look, shared by every window that wears it (the main window and the menu demo): the two
// skin pictures from the executable's resources, the caption and menu colours, and the attachment itself.

#include <windows.h>

#include "winmsg/win/Picture.h"
#include "skin/win/cNeoCaption.h"

// A skin picture from the executable's resources; an empty picture when it is missing.
[[nodiscard]] Picture LoadSkinPicture(HINSTANCE instance, int id);

// Gives the skin the program's colours, caption font and the pictures' 200 % masters (from the executable's
// resources), and attaches it to the window with the two pictures.
// False when the window keeps the system's frame.
[[nodiscard]] bool AttachSkinLook(cNeoCaption& skin, HWND window, const Picture& caption, const Picture& border);
