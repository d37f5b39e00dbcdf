#include "SkinLook.h"

#include "skin/SkinPictures.h"

Picture LoadSkinPicture(HINSTANCE instance, int id) {
    // A DIB section keeps the picture's own colours whatever the screen's depth.
    return Picture(UniqueBitmap(
        static_cast<HBITMAP>(LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))));
}

bool AttachSkinLook(cNeoCaption& skin, HWND window, const Picture& caption, const Picture& border) {
    skin.ActiveCaptionColor(0xFFFFFF);
    skin.InActiveCaptionColor(0xFFFFFF);
    skin.ActiveMenuColor(0xC00000);
    skin.ActiveMenuColorOver(0x0000FF);
    skin.InActiveMenuColor(0x000000);
    skin.MenuBackgroundColor(0x8000000F);
    skin.CaptionFont()->Size = 9;
    // Drawn at 200 %, so that every other scale is made from them rather than from the 100 % pictures.
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    (void)skin.MasterPictures(LoadSkinPicture(instance, IDB_SKIN_CAPTION_MASTER),
                              LoadSkinPicture(instance, IDB_SKIN_BORDER_MASTER));
    return skin.Attach(window, caption, border, 19, 20, 90, 140, 240, 400);
}
