#pragma once
// The platform's part of AtomicFile, supplied by each build: services/win/ for Windows, services/posix/ for the
// native build that runs the portable core under the sanitizers and the fuzzers.

#include <filesystem>
#include <string_view>

// Writes `bytes` to `tmp` (made or emptied), flushes it to the disk and renames it over `file`. On any failure
// `tmp` is deleted and `file` stays as it was.
[[nodiscard]] bool WriteAndReplace(const std::filesystem::path& tmp, const std::filesystem::path& file,
                                   std::string_view bytes);
