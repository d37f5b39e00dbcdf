#include <gtest/gtest.h>
#include <winsock2.h>
#include <windows.h>
// After winsock2.h, which they need; ws2tcpip.h before mstcpip.h, whose address readers it declares.
#include <ws2tcpip.h>
#include <mstcpip.h>
#include <wininet.h>

#include <cstring>
#include <cwctype>
#include <string>

#include "services/AddressGuard.h"
#include "services/win/Http.h"
#include "services/win/MachineNames.h"

namespace {

// The address rules held against the platform's own readers. The addresses are only read here, never requested.
TEST(AddressGuard, ReadsAnIpv4HostAsThePlatformDoes) {
    // clang-format off
    const wchar_t* const hosts[] = {
        L"127.0.0.1", L"127.1", L"0x7f.1", L"0X7F.0x0.0x0.0x1", L"2130706433", L"0177.0.0.1", L"1.2.3", L"1.65536",
        L"1.16777215", L"0.0", L"00", L"0x7fffffff", L"4294967295", L"037777777777", L"0xffffffff",
        L"0x00000000000007f.1", L"000000000000000177.1", L"127.0.0.00000000001", L"127.0.0.1.", L"0x", L"0x.1",
        L"08", L"09.1", L"4294967296", L"040000000000", L"0x100000000", L"1.2.3.4.5", L"1..2", L".1", L"256.1",
        L"1.256.1", L"1.2.65536", L"1.2.3.256", L"1.16777216", L"1e1", L"0xg", L"1.2.3.4x", L"", L"-1", L"+1",
        L"[1.2.3.4]"};
    // clang-format on
    for (const wchar_t* host : hosts) {
        IN_ADDR platform{};
        USHORT port = 0;
        const bool read = RtlIpv4StringToAddressExW(host, FALSE, &platform, &port) == 0;
        const auto portable = AddressGuard::ParseIpv4(host);
        ASSERT_EQ(portable.has_value(), read) << host;
        if (read) {
            EXPECT_EQ(*portable, ntohl(platform.S_un.S_addr)) << host;
        }
    }
}

TEST(AddressGuard, CutsTheHostWhereInternetCrackUrlCutsItOrRefusesTheAddress) {
    // Whether the standard reading names the host InternetCrackUrlW cuts out (otherwise HostOf refuses).
    const struct {
        const wchar_t* address;
        bool agreed;
    } cases[] = {
        {L"http://a.example\\@127.0.0.1/", false},  // WinINet: user "a.example\", host 127.0.0.1
        {L"http://a.example\\x/", false},
        {L"http://a.example:80@127.0.0.1/", true},
        {L"http://a@b@127.0.0.1/", false},  // WinINet: host "b@127.0.0.1"
        {L"http://127.0.0.1@b@a.example/", false},
        {L"http://[::1]@a.example/", true},
        {L"http://a:b:c@a.example/", true},
        {L"http://user:pw@a.example:81/p?q#f", true},
        {L"http://a.example#@127.0.0.1?x", false},  // WinINet: the host ends at '#' only without a '?'
        {L"http://a.example#@127.0.0.1/", true},
        {L"http://a.example?@127.0.0.1/", true},
        {L"http://a.example?x:80", true},
        {L"http://a.example/x@127.0.0.1/", true},
        {L"http://a.example:80:81/", false},
        {L"http://a.example", true},
        {L"HTTP://A.EXAMPLE./", true},
        {L"https://127.1/", true},
        {L"http://0x7f.1/", true},
        {L"http://2130706433/", true},
        {L"http://0177.0.0.1./", true},
        {L"http://1.2.3.256/", true},
        {L"http://%31%32%37.0.0.1/", true},
        {L"http:///x.jpg", true},
        {L"http://[::1]/x.jpg", false},  // WinINet: host "[:", port 1
        {L"http://[2001:db8::1]/", false},
        {L"http://[::ffff:127.0.0.1]/", false},
        {L"http://[::1]x/", false},
        {L"http://fe80::1/", false},
        {L"http://[fe80::1%25eth0]/", false},
        {L"http://[::1]:80/x.jpg", true},  // the brackets stay on the host
        {L"http://[::1]:/", true},
        {L"http://u@[::ffff:127.0.0.1]:80/", true},
        {L"http://[fe80::1%eth0]:8080/", true},
    };
    for (const auto& c : cases) {
        wchar_t host[256] = L"";
        URL_COMPONENTSW parts{};
        parts.dwStructSize = sizeof(parts);
        parts.lpszHostName = host;
        parts.dwHostNameLength = ARRAYSIZE(host);
        ASSERT_TRUE(InternetCrackUrlW(c.address, 0, 0, &parts)) << c.address;
        const auto portable = AddressGuard::HostOf(c.address);
        ASSERT_EQ(portable.has_value(), c.agreed) << c.address;
        if (portable) {
            EXPECT_EQ(*portable, std::wstring_view(host)) << c.address;
        }
        // What the address check lets through connects only where the transfer's host check agrees.
        if (AddressGuard::IsAllowedAddress(c.address, MachineNames())) {
            EXPECT_TRUE(Http::AllowedHost(host)) << c.address;
        }
    }
}

TEST(AddressGuard, ThisMachinesOwnNameIsRefusedInAnySpelling) {
    // As the sockets layer reads it, not as the program does.
    char name[256] = {};
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    ASSERT_EQ(gethostname(name, sizeof name), 0);
    WSACleanup();
    std::wstring host(name, name + std::strlen(name));
    ASSERT_FALSE(host.empty());
    std::wstring upper = host;
    for (auto& c : upper) c = static_cast<wchar_t>(std::towupper(c));
    for (const std::wstring& spelling : {host, upper, host + L"."}) {
        EXPECT_FALSE(Http::AllowedHost(spelling)) << spelling;
        EXPECT_FALSE(AddressGuard::IsAllowedAddress(L"http://" + spelling + L"/x.jpg", MachineNames())) << spelling;
    }
    EXPECT_TRUE(Http::AllowedHost(host + L".example.com")) << "a name under it is another machine's";
}

}  // namespace
