#include "DiskRoom.h"

#include <algorithm>

std::optional<std::uint64_t> DiskRoom::Room() const {
    const auto free = freeBytes_();
    if (!free || *free < reserve_) return std::nullopt;
    return *free - reserve_;
}

bool DiskRoom::Fits(std::uint64_t size) {
    const auto room = Room();
    return room && *room >= size;
}

bool DiskRoom::Take(std::uint64_t size) {
    if (size > granted_) {
        const auto room = Room();
        if (!room || *room < size) {
            granted_ = 0;
            return false;
        }
        granted_ = std::min(*room, size + kRecheckBytes);
    }
    granted_ -= size;
    return true;
}
