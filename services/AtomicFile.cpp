#include "AtomicFile.h"

#include "DurableReplace.h"

namespace {

std::filesystem::path TempPathBeside(const std::filesystem::path& file) {
    std::filesystem::path tmp = file;
    tmp += L".tmp";
    return tmp;
}

}  // namespace

bool WriteFileAtomically(const std::filesystem::path& file, std::string_view bytes) {
    return WriteAndReplace(TempPathBeside(file), file, bytes);
}
