#pragma once
// The non-client engine: takes over the caption, borders and menu area of one top-level window. It subscribes to
// the window's non-client messages through the message router, makes the client area the window minus the
// painter's margins, has the painter paint the whole frame on every WM_NCPAINT, hit-tests, turns presses on the
// frame into painter calls and moves the window itself when the caption is dragged (CaptionDrag). It has no look
// of its own: without a painter it paints a plain frame in the system's colours (PlainFramePainter).
//
// The painter is found through the window property "tolmCNCImplementation", so the engine keeps no pointer to it.

#include <windows.h>

#include "CaptionDrag.h"
#include "INCAreaModifier.h"
#include "winmsg/win/ISubclass.h"
#include "PlainFramePainter.h"

class cNCCalcSize : public ISubclass {
public:
    static constexpr const wchar_t* kImplementationProperty = L"tolmCNCImplementation";

    cNCCalcSize() = default;
    cNCCalcSize(const cNCCalcSize&) = delete;
    cNCCalcSize& operator=(const cNCCalcSize&) = delete;
    ~cNCCalcSize() override { Detach(); }

    // Repaints the window, its frame and its children now.
    static void Redraw(HWND hwnd) noexcept;
    // Repaints the window and has the system ask for its frame again (WM_NCCALCSIZE, then WM_NCPAINT).
    static void Display(HWND hwnd) noexcept;

    [[nodiscard]] bool WindowActive() const noexcept { return windowActive_; }
    [[nodiscard]] bool AppActive() const noexcept { return appActive_; }

    // Starts a caption drag at the pointer, as a press on the caption would.
    void TitleBarMouseDown() noexcept;
    // Posts the window command (SC_CLOSE, SC_MINIMIZE, ...): it runs after the current message.
    void SysCommand(WPARAM eCmd) const noexcept;

    // Takes over the painter's window (after letting go of any earlier one). Throws ComponentError when the window
    // cannot be subscribed; then nothing stays attached.
    void Attach(INCAreaModifier* iTo);
    void Detach() noexcept;
    [[nodiscard]] HWND Hwnd() const noexcept { return window_; }
    // The DPI the window draws at: the window's at Attach, then as DpiChanged says.
    [[nodiscard]] int Dpi() const noexcept { return dpi_; }
    // The window went to another DPI: the system's frame sizes (plain frame, hit zones) follow, and a caption drag
    // under way keeps the pointer's place on the window. The painter measures the frame again.
    void DpiChanged(int dpi) noexcept;
    // The window's menu as it was at Attach.
    [[nodiscard]] HMENU hMenu() const noexcept { return menu_; }

    // The plain frame in the system's colours, for a window without a painter (or whose painter failed).
    void DefaultNCPaint(HDC hdc, int lLeft, int lTop, int lRight, int lBottom) noexcept;

    // The painter named by the window's property; false (and null) when there is none.
    [[nodiscard]] bool GetImplementation(INCAreaModifier*& iTo) const noexcept;

    // For the keyboard hook: hands an Alt+key press of the active window to its painter.
    [[nodiscard]] bool ForwardAltKey(UINT vKey) noexcept;

    // ISubclass
    [[nodiscard]] MsgResponseMode MsgResponse() override;
    void MsgResponse(MsgResponseMode) override {}
    LRESULT WindowProc(HWND hwnd, UINT iMsg, WPARAM wParam, LPARAM lParam) override;

private:
    LRESULT OnNcCalcSize(HWND hwnd, WPARAM wParam, LPARAM lParam);
    LRESULT OnNcHitTest(HWND hwnd, WPARAM wParam, LPARAM lParam);
    LRESULT OnNcPaint(HWND hwnd, WPARAM wParam, LPARAM lParam);
    LRESULT OnNcActivate(HWND hwnd, WPARAM wParam);
    LRESULT OnNcLButtonDown(HWND hwnd, LPARAM lParam);
    LRESULT OnNcLButtonUp(HWND hwnd, LPARAM lParam);
    LRESULT OnNcLButtonDblClk(HWND hwnd, WPARAM wParam, LPARAM lParam);
    LRESULT OnSetCursor(HWND hwnd, WPARAM wParam, LPARAM lParam);
    LRESULT OnSetText(HWND hwnd, WPARAM wParam, LPARAM lParam);
    // The previous procedure's answer, then the whole frame painted again.
    LRESULT PreviousThenRepaint(HWND hwnd, UINT iMsg, WPARAM wParam, LPARAM lParam);
    void Repaint() {
        if (window_) WindowProc(window_, WM_NCPAINT, 0, 0);
    }

    // The painter's frame, or the plain one when there is no painter or it fails.
    void PaintFrame(HDC dc, int width, int height) noexcept;
    // Hit code of a screen point: the engine's zones, then the painter's say.
    [[nodiscard]] int ComputeHitCode(POINT screen);
    [[nodiscard]] bool RecomputeMaximizedMdiChild() noexcept;
    // Moves the pointer one pixel after a press on the frame: the system then sends a fresh mouse move and
    // WM_SETCURSOR, so hit zones, cursor and hover looks are asked again at once instead of at the user's next move.
    // The direction alternates, so every two presses leave the pointer where it was.
    void NudgePointer() noexcept;
    void SubscribeAll();
    void UnsubscribeAll() noexcept;

    HWND window_ = nullptr;
    int dpi_ = 96;
    HWND mdiClient_ = nullptr;
    bool isMdiChild_ = false;
    HMENU menu_ = nullptr;
    bool windowActive_ = false;
    bool appActive_ = false;
    bool maximizedMdiChild_ = false;
    PlainFramePainter plainFrame_;  // its caption surface exists while attached
    CaptionDrag captionDrag_;
    int leftMargin_ = 0;
    int topMargin_ = 0;
    int rightMargin_ = 0;
    int bottomMargin_ = 0;
    int lastHitCode_ = 0;
    int jiggleX_ = 0;
    int jiggleY_ = 0;
    // True while WM_SETCURSOR or WM_SETTEXT is handled, around which the engine changes the window's style for a
    // moment (a standard menu taken away, half of WS_CAPTION): those style changes repaint nothing.
    bool temporaryStyle_ = false;
};
