#pragma once
// The names this machine answers to by itself, as the platform reports them: an address that names it goes
// nowhere else, whatever a page says.

#include <string>
#include <vector>

// The DNS host name, the fully qualified DNS name and the NetBIOS name, read once for the process; a name the
// platform cannot tell is left out. Not the DNS domain on its own, which names other machines.
[[nodiscard]] const std::vector<std::wstring>& MachineNames();
