#pragma once
// The caption and frame painter: gives a window its caption, borders and caption buttons from two skin pictures.
// The caption picture holds the background pieces (left piece, middle tile, right piece), an inactive copy of
// them further right and the three caption buttons, normal and pressed; the border picture holds square tiles for
// the sides, the bottom edge and the bottom corners. The painter owns the window's non-client engine, which calls
// it for every paint, hit test and press on the frame.
//
// The window's own menu is drawn by the painter's menu bar (cMenuBar) in the lower half of the caption, at every
// frame paint; the painter hands it the popups about to open, the end of every menu loop and Alt+key presses.

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

    // The platform's colour for a colour property; CLR_INVALID when it is no colour the platform knows.
    [[nodiscard]] static COLORREF TranslateColor(OleColor oColor) noexcept { return ::TranslateColor(oColor); }

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
    void DrawCaptionButton(HDC dc, skin::CaptionButton button, bool pressed) noexcept;
    void RunPlan(const std::vector<skin::Blit>& blits, HDC window) noexcept;
    void DrawTitle(const Rect& place) noexcept;

    std::unique_ptr<cNCCalcSize> engine_;
    HWND window_ = nullptr;
    std::unique_ptr<cMemDC> borderSurface_;
    std::unique_ptr<cMemDC> captionSurface_;
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
    skin::SkinMetrics metrics_;
    std::array<Rect, skin::kButtonCount> buttons_{};  // from the last paint
    skin::ButtonSet present_;                              // from the window style at the last paint
    bool maximized_ = false;
    std::array<bool, skin::kButtonCount> pressed_{};  // a press started on that button
};
