#pragma once
// Scrambling of the remembered e-mail and password: a position-dependent shift of each byte's code,
// steered by a key. Works on the text's ANSI-code-page bytes.

#include <optional>
#include <string>
#include <string_view>

namespace modCrypt {

// K = floor(S * 0.1 / 6) in double precision, S the sum of the key's byte codes.
int KeyNumber(std::string_view key);

// nullopt when a shifted code leaves 0..255: such a text cannot be stored so that it restores exactly.
std::optional<std::string> ScrambleBytes(std::string_view text, std::string_view key);
std::optional<std::string> UnscrambleBytes(std::string_view text, std::string_view key);

}  // namespace modCrypt
