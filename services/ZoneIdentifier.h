#pragma once
// The Mark of the Web: the "Zone.Identifier" stream that browsers attach to a downloaded file, so that the
// system treats the photo as coming from the internet.

#include <string>
#include <string_view>

// The stream's text: the internet zone (3) and the address the file came from. Characters outside printable
// ASCII in the address are percent-encoded, so a hostile address cannot add lines of its own.
[[nodiscard]] std::string ZoneIdentifierText(std::wstring_view hostUrl);
