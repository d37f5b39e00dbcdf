#pragma once
// The shared picture of the skin and the controls: one bitmap or one icon with exactly one owner. Share it as a
// SharedPicture; the handle goes when the last holder lets go.

#include <windows.h>

#include <memory>
#include <utility>

#include "Handles.h"

class Picture {
public:
    enum class Kind { Empty, Bitmap, Icon };

    Picture() noexcept = default;
    explicit Picture(UniqueBitmap bitmap) noexcept : bitmap_(std::move(bitmap)) {}
    explicit Picture(UniqueIcon icon) noexcept : icon_(std::move(icon)) {}

    [[nodiscard]] Kind GetKind() const noexcept {
        if (bitmap_) return Kind::Bitmap;
        if (icon_) return Kind::Icon;
        return Kind::Empty;
    }
    // The platform handle, whichever kind it is; null for an empty picture.
    [[nodiscard]] HANDLE Handle() const noexcept {
        if (bitmap_) return bitmap_.Get();
        return icon_.Get();
    }
    // Null unless the picture is a bitmap.
    [[nodiscard]] HBITMAP Bitmap() const noexcept { return bitmap_.Get(); }
    // Null unless the picture is an icon.
    [[nodiscard]] HICON Icon() const noexcept { return icon_.Get(); }

private:
    // At most one of the two holds a handle.
    UniqueBitmap bitmap_;
    UniqueIcon icon_;
};

using SharedPicture = std::shared_ptr<const Picture>;
