#pragma once
// What our own controls tell screen readers and other accessibility clients, apart from the platform: roles and
// states as the platform's accessibility interface numbers them (fixed values of that interface), one control's
// description as a reader hears it, and the kinds of change a reader is told about.

#include <optional>
#include <string>
#include <string_view>

namespace reader {

inline constexpr long kRolePushButton = 0x2B;
inline constexpr long kRoleCheckButton = 0x2C;
inline constexpr long kRoleProgressBar = 0x30;

inline constexpr unsigned kStateUnavailable = 0x1;
inline constexpr unsigned kStateFocused = 0x4;
inline constexpr unsigned kStatePressed = 0x8;
inline constexpr unsigned kStateChecked = 0x10;
inline constexpr unsigned kStateReadOnly = 0x40;
inline constexpr unsigned kStateHotTracked = 0x80;
inline constexpr unsigned kStateDefault = 0x100;
inline constexpr unsigned kStateInvisible = 0x8000;
inline constexpr unsigned kStateOffscreen = 0x10000;
inline constexpr unsigned kStateFocusable = 0x100000;
// What the platform knows better than the control: whether the window can be seen.
inline constexpr unsigned kPlatformStates = kStateInvisible | kStateOffscreen;

// Changes a reader is told about, as bits.
enum Change : unsigned { kNoChange = 0, kNameChange = 1, kStateChange = 2, kValueChange = 4 };

// What the window side knows of the control, besides its model.
struct WindowFacts {
    bool available = true;       // the window and every container around it, up to the top-level window, enabled
    bool focused = false;        // the window holds the keyboard focus
    unsigned platformState = 0;  // the state the platform's own object reports for the window
};

struct Description {
    long role = 0;
    std::wstring name;
    std::optional<std::wstring> value;  // nothing: the control has no value
    unsigned state = 0;
    std::wstring keyboardShortcut;  // empty: none
    std::wstring defaultAction;     // empty: none
};

// A caption as it is read: the access-key marker '&' dropped, "&&" read as one '&'.
[[nodiscard]] std::wstring WithoutAccessKey(std::wstring_view caption);
// The character that follows a single '&' (upper-cased when it is a Latin letter), or 0 without one.
[[nodiscard]] wchar_t AccessKey(std::wstring_view caption) noexcept;

}  // namespace reader
