// The layout text and its property sets: parse anything, write it out, parse that again; the second reading
// equals the first.
#include <string_view>

#include "FuzzInput.h"
#include "controls/host/LayoutSet.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const LayoutSet first = LayoutSet::Parse(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::string written = first.Serialize();
    const LayoutSet second = LayoutSet::Parse(written);
    fuzz::Check(second.Serialize() == written);
    return 0;
}
