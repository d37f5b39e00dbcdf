#pragma once
// What the non-client engine asks of the object that gives a window its look. All coordinates are pixels relative
// to the window's top-left corner. The engine keeps only the raw address of this interface, in a window property:
// the painter detaches the engine before it goes.

#include <windows.h>

class INCAreaModifier {
public:
    // The window the painter decorates.
    [[nodiscard]] virtual HWND hwnd() const noexcept = 0;

    // Each getter receives the engine's current margin, already holding the system default; a painter that does not
    // write one keeps the default.
    virtual void GetTopMarginHeight(int& value) noexcept = 0;
    virtual void GetLeftMarginWidth(int& value) noexcept = 0;
    virtual void GetRightMarginWidth(int& value) noexcept = 0;
    virtual void GetBottomMarginHeight(int& value) noexcept = 0;

    // Paints the whole non-client area into the window DC; (lLeft, lTop, lRight, lBottom) is the window rectangle
    // moved to (0, 0). False when nothing could be painted: the engine then paints its plain frame instead.
    [[nodiscard]] virtual bool NCPaint(HDC hdc, int lLeft, int lTop, int lRight, int lBottom) = 0;
    // May replace the engine's hit-test code for (x, y); called for points outside the window too.
    virtual void HitTest(int x, int y, int& eHitTest) = 0;
    virtual void NCMouseDown(int x, int y, bool& bHandled, HDC hdc, int lLeft, int lTop, int lRight, int lBottom) = 0;
    virtual void NCMouseUp(int x, int y, HDC hdc, int lLeft, int lTop, int lRight, int lBottom) = 0;
    // A popup of the window's own menu (not the window menu) is about to open.
    virtual void InitMenuPopup(WPARAM wParam, LPARAM lParam) = 0;
    virtual void ExitMenuLoop() = 0;
    // An Alt+key press while the window is active; true when the painter used it.
    [[nodiscard]] virtual bool AltKeyAccelerator(UINT vKey) = 0;

protected:
    // Nobody deletes a painter through the engine's raw address.
    ~INCAreaModifier() = default;
};
