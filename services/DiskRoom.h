#pragma once
// Keeps a reserve of free space on a volume while a file grows there. Each write takes its room first; the
// volume is asked again once the room granted by its last answer is used up, and at least every few
// megabytes, since other programs fill the disk too.

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>

class DiskRoom {
public:
    // The volume's free bytes for this user now; nullopt when they cannot be told.
    using FreeBytes = std::function<std::optional<std::uint64_t>()>;
    static constexpr std::uint64_t kRecheckBytes = 4u << 20;

    DiskRoom(FreeBytes freeBytes, std::uint64_t reserve) : freeBytes_(std::move(freeBytes)), reserve_(reserve) {}

    // Whether `size` more bytes would leave the reserve free; unknown free space counts as none. The first
    // question goes to the volume, later ones too unless the room it granted answers them.
    [[nodiscard]] bool Fits(std::uint64_t size);
    // Takes room for `size` bytes about to be written: false when they would eat into the reserve.
    [[nodiscard]] bool Take(std::uint64_t size);

private:
    // Asks the volume, and grants room for the writes to come: `size` and one recheck span, at most all there is.
    bool Ask(std::uint64_t size);

    FreeBytes freeBytes_;
    std::uint64_t reserve_;
    bool asked_ = false;
    std::uint64_t granted_ = 0;  // may still be written before the volume is asked again
};
