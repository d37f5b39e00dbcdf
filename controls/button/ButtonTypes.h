#pragma once
// Plain data shared by the button's model, input handling and painting; no platform headers.

#include <cstdint>
#include <memory>
#include <string>

#include "winmsg/Color.h"
#include "winmsg/Geometry.h"
#include "controls/host/HostTypes.h"

namespace button {

enum Style : std::int32_t {
    StyleEdge3D = 0,
    StyleThinEdge = 1,
    StyleFlatHover = 2,
    StyleDoubleFrame = 3,
    StyleHighlightTint = 4,
    StyleSkinned = 5,
    StyleThemed = 6,
    StyleGlossy = 7,
    StyleGradientBevel = 8,
    StyleCapsule = 9,
    StyleRounded = 10,
};

enum CaptionAlignment : std::int32_t { CaptionCenter = 0, CaptionLeft, CaptionRight, CaptionTop, CaptionBottom };
enum IconAlignment : std::int32_t { IconCenter = 0, IconLeft, IconRight, IconTop, IconBottom };
enum ButtonKind : std::int32_t { ButtonPush = 0, ButtonCheck = 1 };

enum State : std::int32_t { kStateNormal = 1, kStateHover = 2, kStatePressed = 3, kStateDisabled = 4 };

// A reference to a picture of the platform layer (not the platform's Picture itself): its handle, which the model
// only carries along.
struct PictureRef {
    std::uintptr_t handle = 0;
    virtual ~PictureRef() = default;
    // The picture as one line of text for the persisted set; empty when it cannot be written.
    [[nodiscard]] virtual std::wstring PersistedText() const { return {}; }
};
using PictureRefPtr = std::shared_ptr<PictureRef>;

// Text layout flags of the platform's text drawing call.
namespace dt {
inline constexpr std::uint32_t kLeft = 0x0;
inline constexpr std::uint32_t kCenter = 0x1;
inline constexpr std::uint32_t kRight = 0x2;
inline constexpr std::uint32_t kVCenter = 0x4;
inline constexpr std::uint32_t kBottom = 0x8;
inline constexpr std::uint32_t kWordBreak = 0x10;
inline constexpr std::uint32_t kSingleLine = 0x20;
}  // namespace dt

}  // namespace button
