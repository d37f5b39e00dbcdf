#pragma once
// A caption painter for the frame engine's tests: margins 7, 40, 5, 9 (left, top, right, bottom), a zone it can
// force on every point, a paint that can fail, and the Alt keys the engine hands it, all of which it takes.

#include <windows.h>

#include <stdexcept>
#include <vector>

#include "skin/win/INCAreaModifier.h"

struct FakeCaptionPainter : INCAreaModifier {
    HWND window = nullptr;
    int left = 7, top = 40, right = 5, bottom = 9;
    int forcedCode = 0;
    bool throwOnPaint = false;
    int paints = 0;
    std::vector<UINT> altKeys;

    HWND hwnd() const noexcept override { return window; }
    void GetTopMarginHeight(int& v) noexcept override { v = top; }
    void GetLeftMarginWidth(int& v) noexcept override { v = left; }
    void GetRightMarginWidth(int& v) noexcept override { v = right; }
    void GetBottomMarginHeight(int& v) noexcept override { v = bottom; }
    bool NCPaint(HDC, int, int, int, int) override {
        ++paints;
        if (throwOnPaint) throw std::runtime_error("no surface");
        return true;
    }
    void HitTest(int, int, int& code) override {
        if (forcedCode) code = forcedCode;
    }
    void NCMouseDown(int, int, bool&, HDC, int, int, int, int) override {}
    void NCMouseUp(int, int, HDC, int, int, int, int) override {}
    void InitMenuPopup(WPARAM, LPARAM) override {}
    void ExitMenuLoop() override {}
    bool AltKeyAccelerator(UINT vKey) override {
        altKeys.push_back(vKey);
        return true;
    }
};
