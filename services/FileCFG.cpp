#include "FileCFG.h"

#include <exception>
#include <fstream>

#include "AtomicFile.h"

namespace {

// Lower-cases ASCII letters only, stepping over double-byte characters of the ANSI code page: a trail byte
// may look like an upper-case ASCII letter.
std::string LowerKey(std::string_view key) {
    std::string out(key);
    for (size_t i = 0; i < out.size(); ++i) {
        auto c = static_cast<unsigned char>(out[i]);
        if (c >= 0x81 && c <= 0xFE && i + 1 < out.size()) {
            ++i;
        } else if (c >= 'A' && c <= 'Z') {
            out[i] = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

struct Entry {
    std::string_view key;
    std::string_view value;
};

std::optional<Entry> SplitEntry(std::string_view line) {
    const size_t space = line.find(' ');
    if (space == std::string_view::npos) return std::nullopt;
    return Entry{line.substr(0, space), line.substr(space + 1)};
}

}  // namespace

std::optional<std::vector<std::string>> FileCFG::LoadFile(const std::filesystem::path& file) noexcept {
    try {
        return Load(file);
    } catch (const std::exception&) {
        // Out of memory, or a stream that failed in a way it reports by throwing: the file cannot be read.
        return std::nullopt;
    }
}

std::optional<std::vector<std::string>> FileCFG::Load(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    // Three short lines make a settings file; anything far larger is not one, and is not read into memory.
    std::string bytes(kMaxSize + 1, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) return std::nullopt;
    const auto got = static_cast<size_t>(in.gcount());
    if (got > kMaxSize) return std::nullopt;
    bytes.resize(got);

    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        const bool terminated = end != std::string::npos;
        if (!terminated) end = bytes.size();
        size_t stop = end;
        if (terminated && stop > start && bytes[stop - 1] == '\r') --stop;
        lines.emplace_back(bytes, start, stop - start);
        start = terminated ? end + 1 : end;
    }
    if (!lines.empty()) lines_ = std::move(lines);
    if (!lines_) return std::vector<std::string>{};
    return lines_;
}

std::optional<std::string> FileCFG::ReadValue(std::string_view key) const {
    if (!lines_) return std::nullopt;
    std::string result;
    for (const std::string& line : *lines_) {
        const auto entry = SplitEntry(line);
        if (entry && LowerKey(entry->key) == key) result = entry->value;
    }
    return result;
}

bool FileCFG::WriteValue(std::string_view value, std::string_view key) {
    if (!lines_) return false;
    for (std::string& line : *lines_) {
        const auto entry = SplitEntry(line);
        if (entry && LowerKey(entry->key) == key) {
            std::string rewritten(entry->key);
            rewritten += ' ';
            rewritten += value;
            line = std::move(rewritten);
        }
    }
    return true;
}

bool FileCFG::SaveFile(const std::filesystem::path& file) const {
    if (!lines_) return false;
    std::string bytes;
    for (const std::string& line : *lines_) {
        bytes += line;
        bytes += "\r\n";
    }
    return WriteFileAtomically(file, bytes);
}
