#pragma once
// The one point and the one rectangle of the portable layers, in pixels; the platform's POINT and RECT are made
// from them only where a platform call needs one.

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;   // exclusive
    int bottom = 0;  // exclusive

    [[nodiscard]] bool Contains(int x, int y) const noexcept {
        return x >= left && x < right && y >= top && y < bottom;
    }
    [[nodiscard]] int Width() const noexcept { return right - left; }
    [[nodiscard]] int Height() const noexcept { return bottom - top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};
