#pragma once
// The caption and frame painter: gives a window its caption, borders and caption buttons from two skin pictures.
// The caption picture holds the background pieces (left piece, middle tile, right piece), an inactive copy of
// them further right and the three caption buttons, normal and pressed; the border picture holds square tiles for
// the sides, the bottom edge and the bottom corners. The painter owns the window's non-client engine, which calls
// it for every paint, hit test and press on the frame.
//
// The window's own menu is drawn by the painter's menu bar (cMenuBar) in the lower half of the caption, at every
// frame paint; the painter hands it the popups about to open, the end of every menu loop and Alt+key presses.
//
// The pictures and numbers are given at 96 DPI. The painter draws at the window's DPI (taken at Attach, then from
// DpiChanged): every number is scaled by the skin's layout, and the pictures are made for that DPI from 200 %
// masters (or, without them, from the pictures as attached) with the platform's halftone filter.

#include <windows.h>

#include <array>
#include <memory>

#include "skin/CaptionLayout.h"
#include "INCAreaModifier.h"
#include "winmsg/Color.h"
#include "winmsg/win/ColorTranslate.h"
#include "winmsg/win/Picture.h"
#include "winmsg/win/PlatformFont.h"
#include "skin/SkinFont.h"
#include "SkinGdi.h"
#include "cMenuBar.h"
#include "cMemDC.h"
#include "cNCCalcSize.h"

class cNeoCaption : public INCAreaModifier {
public:
    cNeoCaption();
    cNeoCaption(const cNeoCaption&) = delete;
    cNeoCaption& operator=(const cNeoCaption&) = delete;
    // A painter that goes leaves no window pointing at it.
    ~cNeoCaption() { Detach(); }

    // Lets go of the window: its engine unsubscribes and a menu the engine took away is given back.
    void Detach() noexcept;
    // Takes over the window's frame with the two pictures (copied: they need not outlive the call) and the numbers
    // of their layout. False when a picture cannot be copied or the window cannot be taken over; nothing stays
    // attached then.
    [[nodiscard]] bool Attach(HWND f, const Picture& PicCaption, const Picture& PicBorder, int lButtonWidth,
                              int lButtonHeight, int lActiveLeftEnd, int lActiveRightStart, int lActiveRightEnd,
                              int lInactiveOffset);

    // The DPI the masters are drawn at: 200 %.
    static constexpr int kMasterDpi = 192;
    // The two pictures drawn at 200 %, each piece at twice its place in the pictures given to Attach: the pictures
    // of every DPI but 96 are made from them (scaled down, or up past 200 %). Copied, before or after Attach; masters
    // of another size than twice the attached pictures' are not used. False when a picture cannot be copied: the
    // pictures as attached are scaled then.
    bool MasterPictures(const Picture& PicCaption, const Picture& PicBorder);

    // The window went to a screen of another DPI: called from its WM_DPICHANGED with the new DPI, before it takes the
    // suggested rectangle. Pictures, numbers and fonts are made again at that DPI, a caption drag under way keeps the
    // pointer's place on the window, and the frame is measured again at once.
    void DpiChanged(int dpi);
    // The DPI the skin draws at.
    [[nodiscard]] int Dpi() const noexcept { return dpi_; }
    // A caption button's hit rectangle (window coordinates) as the last paint laid it out.
    [[nodiscard]] Rect ButtonRect(skin::CaptionButton button) const noexcept { return buttons_[button]; }
    // The title's platform font at the skin's DPI, made for one paint; none when CaptionFont makes none.
    [[nodiscard]] UniqueFont CaptionPlatformFont() const;

    [[nodiscard]] OleColor MenuBackgroundColor() const noexcept { return menuBackgroundColor_; }
    void MenuBackgroundColor(OleColor oColor) noexcept { menuBackgroundColor_ = oColor; }
    [[nodiscard]] OleColor ActiveCaptionColor() const noexcept { return activeCaptionColor_; }
    void ActiveCaptionColor(OleColor oColor) noexcept { activeCaptionColor_ = oColor; }
    [[nodiscard]] OleColor InActiveCaptionColor() const noexcept { return inActiveCaptionColor_; }
    void InActiveCaptionColor(OleColor oColor) noexcept { inActiveCaptionColor_ = oColor; }
    [[nodiscard]] const SharedFont& CaptionFont() const noexcept { return captionFont_; }
    void CaptionFont(SharedFont iFnt) noexcept { captionFont_ = std::move(iFnt); }
    [[nodiscard]] const SharedFont& MenuFont() const noexcept { return menuFont_; }
    void MenuFont(SharedFont iFnt) noexcept { menuFont_ = std::move(iFnt); }
    [[nodiscard]] OleColor ActiveMenuColor() const noexcept { return activeMenuColor_; }
    void ActiveMenuColor(OleColor oColor) noexcept { activeMenuColor_ = oColor; }
    [[nodiscard]] OleColor ActiveMenuColorOver() const noexcept { return activeMenuColorOver_; }
    void ActiveMenuColorOver(OleColor oColor) noexcept { activeMenuColorOver_ = oColor; }
    [[nodiscard]] OleColor InActiveMenuColor() const noexcept { return inActiveMenuColor_; }
    void InActiveMenuColor(OleColor oColor) noexcept { inActiveMenuColor_ = oColor; }

    // The colour to draw for a colour property; kFailedColor (CLR_INVALID) when it is no colour the platform knows.
    [[nodiscard]] static ColorRef TranslateColor(OleColor oColor) noexcept { return ::TranslateColor(oColor); }

    // INCAreaModifier
    [[nodiscard]] HWND hwnd() const noexcept override { return window_; }
    void GetTopMarginHeight(int& value) noexcept override;
    void GetLeftMarginWidth(int& value) noexcept override;
    void GetRightMarginWidth(int& value) noexcept override;
    void GetBottomMarginHeight(int& value) noexcept override;
    [[nodiscard]] bool NCPaint(HDC hdc, int lLeft, int lTop, int lRight, int lBottom) override;
    void HitTest(int x, int y, int& eHitTest) override;
    void NCMouseDown(int x, int y, bool& bHandled, HDC hdc, int lLeft, int lTop, int lRight, int lBottom) override;
    void NCMouseUp(int x, int y, HDC hdc, int lLeft, int lTop, int lRight, int lBottom) override;
    void InitMenuPopup(WPARAM wParam, LPARAM lParam) override;
    void ExitMenuLoop() override;
    [[nodiscard]] bool AltKeyAccelerator(UINT vKey) override;

    // The menu bar of the attached window; null before the first Attach.
    [[nodiscard]] cMenuBar* MenuBar() const noexcept { return menuBar_.get(); }

private:
    [[nodiscard]] bool Attached() const noexcept { return engine_ && engine_->Hwnd() != nullptr; }
    // Metrics and pictures at dpi_; at 96 DPI the pictures as attached.
    void ScalePictures();
    [[nodiscard]] const cMemDC* CaptionPicture() const noexcept {
        return captionScaled_ ? captionScaled_.get() : captionSurface_.get();
    }
    [[nodiscard]] const cMemDC* BorderPicture() const noexcept {
        return borderScaled_ ? borderScaled_.get() : borderSurface_.get();
    }
    void DrawCaptionButton(HDC dc, skin::CaptionButton button, bool pressed) noexcept;
    void RunPlan(const std::vector<skin::Blit>& blits, HDC window) noexcept;
    void DrawTitle(const Rect& place) noexcept;

    std::unique_ptr<cNCCalcSize> engine_;
    HWND window_ = nullptr;
    std::unique_ptr<cMemDC> borderSurface_;  // the pictures as attached, at 96 DPI
    std::unique_ptr<cMemDC> captionSurface_;
    std::unique_ptr<cMemDC> borderMaster_;  // the 200 % masters, when given
    std::unique_ptr<cMemDC> captionMaster_;
    std::unique_ptr<cMemDC> borderScaled_;  // the pictures at dpi_, when it is not 96
    std::unique_ptr<cMemDC> captionScaled_;
    std::unique_ptr<cMemDC> stripSurface_;    // the caption strip, then the bottom strip
    std::unique_ptr<cMemDC> columnsSurface_;  // the side columns
    std::unique_ptr<cMenuBar> menuBar_;
    OleColor activeCaptionColor_ = 0xCCCCCC;
    OleColor inActiveCaptionColor_ = 0x999999;
    SharedFont captionFont_;
    OleColor activeMenuColor_ = 0;
    OleColor activeMenuColorOver_ = 0;
    OleColor inActiveMenuColor_ = 0x808080;
    OleColor menuBackgroundColor_ = 0xFFFFFF;
    SharedFont menuFont_;
    int dpi_ = 96;
    skin::SkinMetrics metrics96_;  // as attached
    skin::SkinMetrics metrics_;    // at dpi_
    std::array<Rect, skin::kButtonCount> buttons_{};  // from the last paint
    skin::ButtonSet present_;                              // from the window style at the last paint
    bool maximized_ = false;
    std::array<bool, skin::kButtonCount> pressed_{};  // a press started on that button
};
