#include "DiskRoom.h"

#include <algorithm>

bool DiskRoom::Ask(std::uint64_t size) {
    asked_ = true;
    granted_ = 0;
    const auto free = freeBytes_();
    if (!free || *free < reserve_ || *free - reserve_ < size) return false;
    granted_ = std::min(*free - reserve_, size + kRecheckBytes);
    return true;
}

bool DiskRoom::Fits(std::uint64_t size) {
    return (asked_ && size <= granted_) || Ask(size);
}

bool DiskRoom::Take(std::uint64_t size) {
    if (size > granted_ && !Ask(size)) return false;
    granted_ -= size;
    return true;
}
