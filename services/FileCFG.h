#pragma once
// The settings file "Verdaly.ini": lines of "key value" kept as bytes in the ANSI code page, so scrambled
// values (which use codes 128-255) come back exactly as they were written.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class FileCFG {
public:
    // The three lines of a freshly created settings file.
    static constexpr std::string_view kDefaultContent = "1 \r\n2 \r\n3 F\r\n";

    // The largest file that counts as a settings file.
    static constexpr size_t kMaxSize = 64 * 1024;

    // Replaces the list with the file's lines and returns a copy of them; nullopt when the file cannot be read
    // (or holds more than kMaxSize bytes, or cannot be held in memory), and the list stays as it was then.
    // An empty file leaves the list as it was.
    std::optional<std::vector<std::string>> LoadFile(const std::filesystem::path& file) noexcept;

    // The value of the last entry whose lower-cased key equals `key`; "" when none does.
    // nullopt when no list is held (nothing loaded yet).
    [[nodiscard]] std::optional<std::string> ReadValue(std::string_view key) const;

    // Rewrites every entry whose lower-cased key equals `key`; never appends a line. False when no list is held.
    bool WriteValue(std::string_view value, std::string_view key);

    // Writes every line with CR LF. The old file is replaced only once the new one is complete on disk,
    // so a crash or a full disk never loses the remembered account.
    [[nodiscard]] bool SaveFile(const std::filesystem::path& file) const;

    [[nodiscard]] const std::optional<std::vector<std::string>>& Lines() const { return lines_; }

private:
    std::optional<std::vector<std::string>> Load(const std::filesystem::path& file);

    std::optional<std::vector<std::string>> lines_;
};
