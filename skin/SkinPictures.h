#pragma once
// The resource numbers of the skin pictures' 200 % masters (drawn by resources/make_skin.py), beside the pictures'
// own numbers in the executables' resource scripts. Only #define lines: the resource scripts include it too.

#define IDB_SKIN_CAPTION_MASTER 302
#define IDB_SKIN_BORDER_MASTER 303
