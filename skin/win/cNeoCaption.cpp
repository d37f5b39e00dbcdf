#include "cNeoCaption.h"

#include <string>

#include "skin/MenuLayout.h"
#include "winmsg/DpiScale.h"
#include "winmsg/win/ComponentError.h"
#include "winmsg/win/Dpi.h"
#include "winmsg/win/Handles.h"
#include "winmsg/win/WindowText.h"
#include "ScaledPicture.h"

namespace {

skin::ButtonSet ButtonsOf(LONG_PTR style) noexcept {
    return {(style & WS_SYSMENU) != 0, (style & WS_MAXIMIZEBOX) != 0, (style & WS_MINIMIZEBOX) != 0};
}

}  // namespace

cNeoCaption::cNeoCaption() : captionFont_(skin::NewFont()), menuFont_(skin::NewFont()) {}

void cNeoCaption::Detach() noexcept {
    // The engine takes a standard menu bar away from the window; it goes back with the window's frame.
    HMENU menu = nullptr;
    if (engine_) {
        menu = engine_->hMenu();
        engine_->Detach();
    }
    if (menuBar_) menuBar_->Detach();
    if (menu && IsWindow(window_) && GetMenu(window_) != menu) SetMenu(window_, menu);
}

bool cNeoCaption::Attach(HWND f, const Picture& PicCaption, const Picture& PicBorder, int lButtonWidth,
                         int lButtonHeight, int lActiveLeftEnd, int lActiveRightStart, int lActiveRightEnd,
                         int lInactiveOffset) {
    const bool visible = IsWindowVisible(f) != FALSE;
    // A visible window changes its whole frame at once. The lock is released however Attach ends.
    const WindowUpdateLock lock(f);
    Detach();

    auto caption = std::make_unique<cMemDC>();
    auto border = std::make_unique<cMemDC>();
    if (!caption->CreateFromPicture(PicCaption) || !border->CreateFromPicture(PicBorder)) return false;
    metrics96_ = {caption->Width(), caption->Height(), border->Width(),   border->Height(), lButtonWidth,
                  lButtonHeight,    lActiveLeftEnd,    lActiveRightStart, lActiveRightEnd,  lInactiveOffset};
    captionSurface_ = std::move(caption);
    borderSurface_ = std::move(border);
    stripSurface_ = std::make_unique<cMemDC>();
    columnsSurface_ = std::make_unique<cMemDC>();
    pressed_ = {};
    window_ = f;
    dpi_ = WindowDpi(f);
    ScalePictures();

    // The menu colours and MenuFont are copied into the menu bar here only: later changes wait for the next Attach.
    menuBar_ = std::make_unique<cMenuBar>();
    engine_ = std::make_unique<cNCCalcSize>();
    try {
        menuBar_->Attach(window_);
        menuBar_->SetFont(menuFont_);
        menuBar_->Scale(skin::ScaleMenu(dpi_), dpi_);
        menuBar_->SetColors(activeMenuColor_, activeMenuColorOver_, inActiveMenuColor_, menuBackgroundColor_);
        engine_->Attach(this);
    } catch (const ComponentError&) {
        menuBar_->Detach();
        engine_.reset();
        return false;
    }
    if (!visible) {
        // A hidden window paints nothing yet and is activated when it is shown: only its frame is measured again.
        // Activating it here would cost a round of activation and focus messages for a window nobody sees.
        SetWindowPos(window_, nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED | SWP_NOOWNERZORDER | SWP_NOACTIVATE);
    } else {
        cNCCalcSize::Display(window_);
        SetForegroundWindow(window_);
        SetFocus(window_);
        SendMessageW(window_, WM_NCACTIVATE, TRUE, 0);
    }
    return true;
}

bool cNeoCaption::MasterPictures(const Picture& PicCaption, const Picture& PicBorder) {
    auto caption = std::make_unique<cMemDC>();
    auto border = std::make_unique<cMemDC>();
    const bool copied = caption->CreateFromPicture(PicCaption) && border->CreateFromPicture(PicBorder);
    captionMaster_ = copied ? std::move(caption) : nullptr;
    borderMaster_ = copied ? std::move(border) : nullptr;
    if (Attached() && dpi_ != kBaseDpi) {
        ScalePictures();
        RedrawWindow(window_, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    }
    return copied;
}

void cNeoCaption::ScalePictures() {
    metrics_ = skin::ScaleSkin(metrics96_, dpi_);
    captionScaled_.reset();
    borderScaled_.reset();
    if (dpi_ == kBaseDpi || !captionSurface_ || !borderSurface_) return;
    // From the masters when they are this skin's at 200 %, else from the pictures as attached.
    const skin::SkinMetrics master = skin::ScaleSkin(metrics96_, kMasterDpi);
    const bool fromMaster = captionMaster_ && borderMaster_ && captionMaster_->Width() == master.captionWidth &&
                            captionMaster_->Height() == master.captionHeight &&
                            borderMaster_->Width() == master.borderWidth &&
                            borderMaster_->Height() == master.borderHeight;
    const skin::SkinMetrics& from = fromMaster ? master : metrics96_;
    captionScaled_ =
        MakeScaledPicture(fromMaster ? *captionMaster_ : *captionSurface_, skin::CaptionPictureCells(from, metrics_),
                          metrics_.captionWidth, metrics_.captionHeight);
    borderScaled_ =
        MakeScaledPicture(fromMaster ? *borderMaster_ : *borderSurface_, skin::BorderPictureCells(from, metrics_),
                          metrics_.borderWidth, metrics_.borderHeight);
    if (!captionScaled_ || !borderScaled_) {
        // No surface for this DPI: the frame stays as attached rather than reading pictures it does not have.
        metrics_ = metrics96_;
        captionScaled_.reset();
        borderScaled_.reset();
    }
}

void cNeoCaption::DpiChanged(int dpi) {
    if (dpi <= 0 || dpi == dpi_) return;
    dpi_ = dpi;
    if (!Attached()) return;
    ScalePictures();
    if (menuBar_) menuBar_->Scale(skin::ScaleMenu(dpi_), dpi_);
    engine_->DpiChanged(dpi_);
    // The next WM_NCCALCSIZE asks the new margins; the window's own SetWindowPos to the suggested rectangle follows.
    SetWindowPos(window_, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

UniqueFont cNeoCaption::CaptionPlatformFont() const {
    return captionFont_ ? CreatePlatformFont(*captionFont_, dpi_, FontRules::Skin) : UniqueFont();
}

void cNeoCaption::GetTopMarginHeight(int& value) noexcept {
    value = skin::FrameMargins(metrics_).top;
}

void cNeoCaption::GetLeftMarginWidth(int& value) noexcept {
    value = skin::FrameMargins(metrics_).left;
}

void cNeoCaption::GetRightMarginWidth(int& value) noexcept {
    value = skin::FrameMargins(metrics_).right;
}

void cNeoCaption::GetBottomMarginHeight(int& value) noexcept {
    value = skin::FrameMargins(metrics_).bottom;
}

void cNeoCaption::RunPlan(const std::vector<skin::Blit>& blits, HDC window) noexcept {
    auto dcOf = [&](skin::Surface s) -> HDC {
        switch (s) {
            case skin::Surface::CaptionPicture: return CaptionPicture()->hdc();
            case skin::Surface::BorderPicture: return BorderPicture()->hdc();
            case skin::Surface::Strip: return stripSurface_->hdc();
            case skin::Surface::Columns: return columnsSurface_->hdc();
            case skin::Surface::Window: return window;
        }
        return nullptr;
    };
    for (const skin::Blit& b : blits) {
        BitBlt(dcOf(b.to), b.dstX, b.dstY, b.width, b.height, dcOf(b.from), b.srcX, b.srcY, SRCCOPY);
    }
}

void cNeoCaption::DrawTitle(const Rect& place) noexcept {
    const HDC strip = stripSurface_->hdc();
    SetBkMode(strip, TRANSPARENT);
    const bool active = engine_->WindowActive();
    SetTextColor(strip, TranslateColor(active ? activeCaptionColor_ : inActiveCaptionColor_).value);
    if (GetWindowTextLengthW(window_) < 1) return;
    const std::wstring text = WindowText(window_);
    RECT r{place.left, place.top, place.right, place.bottom};
    DrawTextW(strip, text.c_str(), static_cast<int>(text.size()), &r, DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

bool cNeoCaption::NCPaint(HDC hdc, int lLeft, int lTop, int lRight, int lBottom) {
    if (!Attached() || !captionFont_) return false;
    const LONG_PTR style = GetWindowLongPtrW(window_, GWL_STYLE);
    present_ = ButtonsOf(style);
    maximized_ = (style & WS_MAXIMIZE) != 0;
    const skin::FramePlan plan =
        skin::PlanFrame(metrics_, lLeft, lTop, lRight, lBottom, engine_->WindowActive(), maximized_, present_);
    buttons_ = plan.buttons;

    stripSurface_->Grow(plan.stripWidth, plan.stripHeight);
    columnsSurface_->Grow(plan.columnsWidth, plan.columnsHeight);
    if (!stripSurface_->hdc() || !columnsSurface_->hdc() || !CaptionPicture()->hdc() || !BorderPicture()->hdc())
        return false;

    // The fonts are made at the skin's DPI, which is the window's and not necessarily the DC's, for this paint.
    const UniqueFont font = CaptionPlatformFont();
    if (!font) return false;
    const SelectGuard selected(stripSurface_->hdc(), font.Get());

    RunPlan(plan.beforeText, hdc);
    if (!plan.narrow) DrawTitle(plan.title);
    if (menuBar_) {
        // The menu in a regular-weight copy of the caption font.
        menuBar_->hMenu(engine_->hMenu());
        FontDesc regular = *captionFont_;
        regular.Weight = FW_NORMAL;
        const UniqueFont menuFont = CreatePlatformFont(regular, dpi_, FontRules::Skin);
        const Rect& band = plan.menuBand;
        menuBar_->Render(menuFont.Get(), stripSurface_->hdc(), band.left, band.top, band.Width(), band.Height());
    }
    RunPlan(plan.afterText, hdc);
    return true;
}

void cNeoCaption::DrawCaptionButton(HDC dc, skin::CaptionButton button, bool pressed) noexcept {
    if (!present_.Has(button) || !captionSurface_) return;
    const skin::Blit b =
        skin::ButtonImage(metrics_, button, pressed, maximized_, buttons_[button], skin::Surface::Window);
    BitBlt(dc, b.dstX, b.dstY, b.width, b.height, CaptionPicture()->hdc(), b.srcX, b.srcY, SRCCOPY);
}

void cNeoCaption::HitTest(int x, int y, int& eHitTest) {
    const Rect& square = metrics_.design.systemMenuSquare;
    if (square.Contains(x, y)) {
        eHitTest = skin::kHtSysMenu;
        return;
    }
    eHitTest = skin::PainterHitCode(x, y, eHitTest, buttons_, present_, square);
    // A bar item is pressed wherever the pointer is on it: its top rows lie in the caption's drag band.
    if (menuBar_ && menuBar_->ItemCount() > 0) {
        RECT w{};
        GetWindowRect(window_, &w);
        if (menuBar_->ItemAtPoint({w.left + x, w.top + y}) > 0) eHitTest = HTCLIENT;
    }
    // A pressed button the pointer has left is drawn up again.
    const WindowFrameDC dc(window_);
    if (!dc.Get()) return;
    for (skin::CaptionButton b : {skin::kClose, skin::kMaximize, skin::kMinimize}) {
        if (present_.Has(b) && buttons_[b].Contains(x, y) != pressed_[b]) DrawCaptionButton(dc.Get(), b, false);
    }
}

void cNeoCaption::NCMouseDown(int x, int y, bool& bHandled, HDC hdc, int, int, int, int) {
    for (skin::CaptionButton b : {skin::kClose, skin::kMaximize, skin::kMinimize}) {
        // A press whose release never reached the window leaves nothing pressed for this one.
        if (pressed_[b]) DrawCaptionButton(hdc, b, false);
        pressed_[b] = false;
    }
    for (skin::CaptionButton b : {skin::kClose, skin::kMaximize, skin::kMinimize}) {
        if (!present_.Has(b) || !buttons_[b].Contains(x, y)) continue;
        DrawCaptionButton(hdc, b, true);
        pressed_[b] = true;
        bHandled = true;
    }
}

void cNeoCaption::NCMouseUp(int x, int y, HDC hdc, int, int, int, int) {
    auto released = [&](skin::CaptionButton b) { return pressed_[b] && buttons_[b].Contains(x, y); };
    if (engine_) {
        const bool maximized = (GetWindowLongPtrW(window_, GWL_STYLE) & WS_MAXIMIZE) != 0;
        if (released(skin::kClose)) engine_->SysCommand(SC_CLOSE);
        if (released(skin::kMaximize)) engine_->SysCommand(maximized ? SC_RESTORE : SC_MAXIMIZE);
        if (released(skin::kMinimize)) engine_->SysCommand(SC_MINIMIZE);
    }
    for (skin::CaptionButton b : {skin::kClose, skin::kMaximize, skin::kMinimize}) {
        DrawCaptionButton(hdc, b, false);
        pressed_[b] = false;
    }
}

void cNeoCaption::InitMenuPopup(WPARAM wParam, LPARAM) {
    if (menuBar_) menuBar_->PreparePopup(reinterpret_cast<HMENU>(wParam));
}

void cNeoCaption::ExitMenuLoop() {
    if (menuBar_) menuBar_->RestorePopups();
}

bool cNeoCaption::AltKeyAccelerator(UINT vKey) {
    return menuBar_ && menuBar_->AcceleratorKey(vKey);
}
