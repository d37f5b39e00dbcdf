#include "MachineNames.h"

#include <windows.h>

namespace {

std::wstring NameOfKind(COMPUTER_NAME_FORMAT kind) {
    DWORD size = 0;
    GetComputerNameExW(kind, nullptr, &size);
    if (size == 0) return {};
    std::wstring name(size, L'\0');
    if (!GetComputerNameExW(kind, name.data(), &size)) return {};
    name.resize(size);
    return name;
}

}  // namespace

const std::vector<std::wstring>& MachineNames() {
    static const std::vector<std::wstring> names = [] {
        std::vector<std::wstring> found;
        for (const auto kind : {ComputerNameDnsHostname, ComputerNameDnsFullyQualified, ComputerNameNetBIOS}) {
            std::wstring name = NameOfKind(kind);
            if (!name.empty()) found.push_back(std::move(name));
        }
        return found;
    }();
    return names;
}
