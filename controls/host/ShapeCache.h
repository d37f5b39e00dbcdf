#pragma once
// The key of the shape a control's window holds: style, width, height and the DPI it was scaled to. Giving a
// window the same shape again only makes its parent repaint behind the control, which flickers on every redraw;
// so a region is built and handed over only when the key changes.

#include <optional>

class ShapeCache {
public:
    // A cache for a window that holds (style, width, height, dpi) already, as a new window holds its own rectangle.
    static ShapeCache Holding(int style, int width, int height, int dpi) {
        ShapeCache cache;
        cache.held_ = Key{style, width, height, dpi};
        return cache;
    }

    // When (style, width, height, dpi) is not the shape the window holds, builds a region with `make` and hands it
    // to `give`, which says whether the window took it. Only a region taken is remembered: one the window refused
    // is built and offered again next time.
    template <typename Make, typename Give>
    void Apply(int style, int width, int height, int dpi, Make&& make, Give&& give) {
        const Key key{style, width, height, dpi};
        if (held_ == key) return;
        if (give(make())) held_ = key;
    }

private:
    struct Key {
        int style, width, height, dpi;
        friend bool operator==(const Key&, const Key&) = default;
    };
    std::optional<Key> held_;
};
