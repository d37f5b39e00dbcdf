#pragma once
// A file replaced whole or not at all: a crash or a full disk never leaves it half written.

#include <filesystem>
#include <string_view>

// Writes the bytes to a temporary file beside `file`, flushes it and renames it over `file`.
[[nodiscard]] bool WriteFileAtomically(const std::filesystem::path& file, std::string_view bytes);
