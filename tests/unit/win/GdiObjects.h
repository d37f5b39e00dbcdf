#pragma once
// How many GDI objects this process holds, for the tests that paint a thousand times and must leave none behind.

#include <windows.h>
#include <winternl.h>

#include <cstddef>
#include <cstdint>

// GetGuiResources is a stub under Wine (it answers 0): there the live entries of the GDI handle table that the
// process block points to are counted instead. Windows and Wine lay its 24-byte entries out alike: the owner's
// process id at offset 8 (0 in Wine's table, which is the process's own), the object type at offset 14 (0 once
// the entry is free).
inline DWORD GdiObjectCount() {
    if (const DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return count;
    PROCESS_BASIC_INFORMATION info{};
    if (NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &info, sizeof(info), nullptr) != 0)
        return 0;
    constexpr size_t kGdiHandleTableOffset = 0xF8;  // in the 64-bit process block
    const auto* peb = reinterpret_cast<const std::uint8_t*>(info.PebBaseAddress);
    const auto* table = *reinterpret_cast<const std::uint8_t* const*>(peb + kGdiHandleTableOffset);
    if (!table) return 0;
    const auto pid = static_cast<std::uint16_t>(GetCurrentProcessId());
    DWORD count = 0;
    for (size_t i = 0; i < 0x10000; ++i) {
        const auto* entry = reinterpret_cast<const std::uint16_t*>(table + i * 24);
        count += entry[7] != 0 && (entry[4] == pid || entry[4] == 0);  // type at byte 14, owner at byte 8
    }
    return count;
}
