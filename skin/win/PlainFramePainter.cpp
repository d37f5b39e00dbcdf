#include "PlainFramePainter.h"

#include "FrameMetrics.h"

void PlainFramePainter::Prepare(int dpi) {
    frameWidth_ = FrameMetric(SM_CXFRAME, dpi);
    frameHeight_ = FrameMetric(SM_CYFRAME, dpi);
    captionHeight_ = FrameMetric(SM_CYCAPTION, dpi);
    captionSurface_ = std::make_unique<cMemDC>();
    captionSurface_->Grow(GetSystemMetrics(SM_CXSCREEN), 4 * captionHeight_);
}

void PlainFramePainter::Paint(HWND window, HDC hdc, int lLeft, int lTop, int lRight, int lBottom,
                              bool active) const noexcept {
    const HBRUSH border = GetSysColorBrush(active ? COLOR_ACTIVEBORDER : COLOR_INACTIVEBORDER);
    const HBRUSH caption = GetSysColorBrush(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
    const int cxf = frameWidth_;
    const int cyf = frameHeight_;
    const int cyc = captionHeight_;

    const RECT bands[] = {{lLeft, cyf, cxf, lBottom - cyf},
                          {lLeft, lTop, lRight, cyf},
                          {lRight - cxf, cyf, lRight, lBottom - cyf},
                          {lLeft, lBottom - cyf, lRight, lBottom},
                          {lLeft, cxf + cyc - 1, lRight, cxf + cyc}};
    for (const RECT& band : bands) FillRect(hdc, &band, border);

    const RECT k{lLeft + cxf, lTop + cyf, lRight - cxf, lTop + cyf + cyc - 1};
    const int width = k.right - k.left;
    const int height = k.bottom - k.top;
    const HDC surface = captionSurface_ ? captionSurface_->hdc() : nullptr;
    if (surface && width > 0 && height > 0) {
        // Composed off screen, then one copy: the caption never shows half drawn.
        RECT text{0, 0, width - (3 * height + 2), height};
        DrawCaption(window, surface, &text, DC_TEXT | DC_ICON | (active ? DC_ACTIVE : 0));
        const RECT rest{text.right, 0, width, height};
        FillRect(surface, &rest, caption);

        RECT button{0, 2, width - 2, height - 2};
        const int size = button.bottom - button.top;
        button.left = button.right - size - 2;
        DrawFrameControl(surface, &button, DFC_CAPTION, DFCS_CAPTIONCLOSE);
        OffsetRect(&button, -(button.right - button.left + 2), 0);
        DrawFrameControl(surface, &button, DFC_CAPTION, IsZoomed(window) ? DFCS_CAPTIONRESTORE : DFCS_CAPTIONMAX);
        OffsetRect(&button, -(button.right - button.left), 0);
        DrawFrameControl(surface, &button, DFC_CAPTION, DFCS_CAPTIONMIN);
        BitBlt(hdc, k.left, k.top, width, height, surface, 0, 0, SRCCOPY);
    }
    RECT all{lLeft, lTop, lRight, lBottom};
    DrawEdge(hdc, &all, EDGE_RAISED, BF_RECT);
}
