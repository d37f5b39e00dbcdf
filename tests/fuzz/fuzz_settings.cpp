// The settings file: load whatever is on disk, write two values, save, load again: every line reads back
// exactly as it was held, the ones the program did not write included.
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "services/FileCFG.h"
#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    static const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("verdaly-fuzz-" + std::to_string(getpid()) + ".ini");
    [[maybe_unused]] static const int removedAtExit = std::atexit([] { std::filesystem::remove(file); });
    std::ofstream(file, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data), size);
    FileCFG cfg;
    const auto lines = cfg.LoadFile(file);
    fuzz::Check(lines.has_value() == (size <= FileCFG::kMaxSize) && (!lines || lines->empty() == (size == 0)));
    if (!lines || size == 0) return 0;
    fuzz::Check(cfg.WriteValue("\x81\x40value", "1"));
    fuzz::Check(cfg.WriteValue("T", "3"));
    const auto before = cfg.ReadValue("2");
    // Nothing in the input can fail the save, nor the reload of a rewrite within the limit: findings, not skips.
    fuzz::Check(cfg.SaveFile(file));
    FileCFG again;
    const auto reloaded = again.LoadFile(file);
    fuzz::Check(reloaded || std::filesystem::file_size(file) > FileCFG::kMaxSize);
    if (!reloaded) return 0;
    fuzz::Check(*reloaded == *cfg.Lines());
    fuzz::Check(again.ReadValue("2") == before);
    return 0;
}
