#pragma once
// Marks a downloaded photo as coming from the internet, as browsers do.

#include <string>

// Writes the file's "Zone.Identifier" stream. Where the file system has no streams (Wine on a Linux file
// system, FAT) there is nothing to mark; a failure to write is ignored.
void MarkFromInternet(const std::wstring& path, const std::wstring& hostUrl) noexcept;
