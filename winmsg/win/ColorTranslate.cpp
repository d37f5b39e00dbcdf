#include "ColorTranslate.h"

static_assert(CLR_INVALID == kFailedColor.value);
static_assert(COLOR_MENUBAR == kSysMenuBar);

namespace {

// GetSysColor, for the portable translation: oleaut32's OleTranslateColor would have to load before the first paint.
class PlatformSystemColors final : public SystemColors {
public:
    ColorRef SysColor(int index) const override { return ColorRef{GetSysColor(index)}; }
};

const PlatformSystemColors kPlatform{};

}  // namespace

const SystemColors& PlatformColors() noexcept {
    return kPlatform;
}

ColorRef TranslateColor(OleColor color) noexcept {
    return TranslateColor(color, kPlatform);
}
