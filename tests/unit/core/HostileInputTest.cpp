// What a hostile page, a hostile paste or a huge album can bring: addresses with control characters, photo
// addresses aimed at this machine, names that collide only in case, and very many photos of one name.

#include <gtest/gtest.h>

#include <string>

#include "services/AddressGuard.h"
#include "app/PhotoNames.h"
#include "services/UrlEscape.h"
#include "services/ZoneIdentifier.h"

namespace {

// This machine's names as the platform could report them: host name, fully qualified name, NetBIOS name.
const std::wstring kOwnNames[] = {L"Box", L"", L"box.Zed.example.", L"BOX-NB"};

TEST(HostileInput, PhotoAddressesMustBeWebAddressesOfOtherMachines) {
    // clang-format off
    const wchar_t* const allowedAddresses[] = {
        L"http://hdn.xnimg.cn/fmn001/large.jpg", L"HTTPS://a.xnimg.cn:8080/x.jpg", L"http://user@hdn.xnimg.cn/x.jpg",
        L"http://u:p@1x.example:81/x.jpg", L"http://a.example/x@127.0.0.1/y.jpg", L"http://a.example?@127.0.0.1/",
        L"http://a.example#@127.0.0.1/", L"http://8.8.8.8/x.jpg", L"http://[2001:db8::1]:80/x.jpg",
        L"http://box.zed.example.com/x.jpg", L"http://hdn.xnimg.cn/\u00A0.jpg"};
    // Loopback in every notation the platform reads, a foreign scheme, and addresses that would smuggle
    // something past the check: where WinINet and the standard read different hosts, the address is refused
    // ("[2001:db8::1]" without a port is one: WinINet cuts "[2001:db8:" out of it).
    const wchar_t* const refusedAddresses[] = {
        L"http://127.0.0.2/x.jpg", L"http://127.0.0.2./x.jpg", L"http://hdn.xnimg.cn@127.0.0.2/x.jpg",
        L"http://a.example:80@127.0.0.1/", L"http://a.example\\@127.0.0.1/", L"http://a.example#@127.0.0.1?x",
        L"http://127.0.0.1@a@a.example/", L"http://a.example:80:81/", L"http://[::1]:80/x.jpg",
        L"http://[2001:db8::1]/x.jpg", L"http://[::1/x.jpg", L"http://%31%32%37.0.0.1/x.jpg",
        L"ftp://hdn.xnimg.cn/x.jpg", L"file:///C:/x.jpg", L"hdn.xnimg.cn/x.jpg", L"http\u017F://hdn.xnimg.cn/x.jpg",
        L"http://hdn.xnimg.cn/a b.jpg", L"http://hdn.xnimg.cn/a.jpg\r\nHost: x", L"http://hdn.xnimg.cn/\u0080.jpg",
        L"http://hdn.xnimg.cn/\x7f.jpg", L"http:///x.jpg", L"http://intranet/x.jpg",
        L"http://BOX.zed.example./x.jpg", L"http://hdn.xnimg.cn/\u009F.jpg", L"http://224.0.0.1/x.jpg"};
    // The host as the transfer hands it to the connection, brackets and all. Only an own name as a whole is
    // refused, not one that holds it as a label or a suffix.
    const wchar_t* const allowedHosts[] = {
        L"a0-z_9.AZ.example", L"HDN.XNIMG.CN.", L"localhost.example", L"xlocalhost.x", L"1.0.0.0", L"9.255.255.255",
        L"11.0.0.0", L"1.65536", L"126.255.255.255", L"128.0.0.0", L"100.63.255.255", L"100.128.0.0",
        L"169.253.255.255", L"169.255.0.0", L"172.15.255.255", L"172.32.0.0", L"192.167.255.255", L"192.169.0.0",
        L"[2001:db8::1]", L"2001:db8::1", L"[1::]", L"[1:2:3:4:5:6:7:8]", L"[1:2:3:4:5:6:8.8.8.8]",
        L"[::ffff:8.8.8.8]", L"[64:ff9b::8.8.8.8]", L"[fe00::1]", L"[fbff::1]", L"[::1:0:0:1]", L"[aAfF::1]",
        L"0x8.0X8.010.8", L"[64::10.0.0.1]", L"134744072", L"198.17.255.255", L"198.20.0.0", L"223.255.255.255",
        L"[::ffff:223.255.255.255]", L"[64:ff9b::198.20.0.0]", L"localhost.localdomain.x", L"ip6-localhost.x",
        L"x.localhost6", L"box.example.com", L"zed.example", L"a.box.zed.example", L"box.zed.example.com",
        L"box.zed.exampl", L"box-nb.x"};
    const wchar_t* const refusedHosts[] = {
        L"127.1", L"0x7f.1", L"0X7F.0x0.0.1", L"2130706433", L"0177.0.0.1", L"0", L"0.255.255.255", L"10.0.0.0",
        L"10.255.255.255", L"172.16.0.9", L"172.31.255.255", L"192.168.1.1", L"169.254.169.254", L"100.64.0.0",
        L"100.127.255.255", L"localhost", L"LocalHost.", L"a.localhost", L"localhost.localdomain",
        L"LOCALHOST.LocalDomain.", L"ip6-localhost", L"IP6-Loopback.", L"localhost6", L"Localhost6.Localdomain6.",
        L"xlocalhost", L"intranet", L"Intranet.", L"wpad", L"box", L"BOX.", L"box-nb", L"box.zed.example",
        L"BOX.ZED.EXAMPLE.", L"198.18.0.0", L"198.19.255.255", L"224.0.0.0", L"239.255.255.255", L"240.0.0.0",
        L"255.255.255.255", L"4294967295", L"3758096384", L"[::ffff:224.0.0.1]", L"[::198.18.0.1]",
        L"[64:ff9b::255.255.255.255]", L"[ff00::]", L"[ff02::1]", L"ffff::1", L"", L".", L"a..", L"example.1x",
        L"1a.0.0.1", L"08.0.0.1", L"4294967296", L"256.1.1.1", L"1.16777216", L"1.2.3.4.5", L"1..2",
        L"0x", L"b@127.0.0.1", L"a.example\\x", L"a/b", L"a`b", L"a{b", L"a[b", L"a b", L"a\tb",
        L"\uFF11\uFF12\uFF17.0.0.1", L"\u4F8B.cn", L"h.example:80", L"[::1]", L"::1", L"[::]",
        L"[::ffff:127.0.0.1]", L"[::ffff:7f00:1]", L"[::127.0.0.1]", L"[64:ff9b::10.0.0.1]", L"fe80::1",
        L"[fe80::1%eth0]", L"[fe80::1%25eth0]", L"[febf::1]", L"[fec0::1]", L"[fc00::1]", L"[fdff::1]", L"[::1",
        L"::1]", L"[]", L"[[::1]]", L"[1::8.8.8]", L"[1::8.8.8.x]", L"[12345::]", L"[1:2:3:4:5:6:7]",
        L"[1:2:3:4:5:6:7:8:9]", L"[1::2::3]", L"[1:2:3:4:5:6:7:8::]", L"[:1::]", L"[1:]", L"[1:2:3:4:5:6:1.2.3.4:5]"};
    // clang-format on
    for (const wchar_t* address : allowedAddresses)
        EXPECT_TRUE(AddressGuard::IsAllowedAddress(address, kOwnNames)) << address;
    for (const wchar_t* address : refusedAddresses)
        EXPECT_FALSE(AddressGuard::IsAllowedAddress(address, kOwnNames)) << address;
    for (const wchar_t* host : allowedHosts) EXPECT_TRUE(AddressGuard::IsAllowedHost(host, kOwnNames)) << host;
    for (const wchar_t* host : refusedHosts) EXPECT_FALSE(AddressGuard::IsAllowedHost(host, kOwnNames)) << host;
    // An IPv4 literal is read up to its largest value.
    EXPECT_EQ(AddressGuard::ParseIpv4(L"4294967295"), 0xFFFFFFFFu);
    // A host cut out of a longer text: what follows it is not read, even when it would make a hexadecimal part.
    EXPECT_EQ(AddressGuard::ParseIpv4(std::wstring_view(L"10.0x1", 4)), 0x0A000000u);
}

TEST(HostileInput, APhotoAddressGoesOutWithItsPathInUtf8Escapes) {
    const std::wstring pair = L"\xD800\xDC00";  // U+10000, the lowest pair, as UTF-16 on every platform
    const struct {
        std::wstring address;
        std::wstring expected;
    } cases[] = {
        {L"http://fmn.rrimg.com/u/\u76F8\u7247\u4E00.jpg", L"http://fmn.rrimg.com/u/%E7%9B%B8%E7%89%87%E4%B8%80.jpg"},
        {L"http://fmn.rrimg.com/u/\uAC00\uC871.jpg", L"http://fmn.rrimg.com/u/%EA%B0%80%EC%A1%B1.jpg"},
        {L"http://a.example?q=\x7F\u0080\u00E9#\u00FF", L"http://a.example?q=\x7F%C2%80%C3%A9#%C3%BF"},
        {L"http://a.example/%E7%9B%B8%zz%\u76F8", L"http://a.example/%E7%9B%B8%zz%%E7%9B%B8"},
        {L"https://u:p@a.example:81/a%20b?c=d#e", L"https://u:p@a.example:81/a%20b?c=d#e"},
        {L"http://\u00E9@\u4F8B.cn:80\u00E9/\u00E9", L"http://\u00E9@\u4F8B.cn:80\u00E9/%C3%A9"},
        {L"http://a.example/" + pair + L"\U0010FFFFx", L"http://a.example/%F0%90%80%80%F4%8F%BF%BFx"},
        {L"http://a.example/\xD83D" + pair + L"\xDE00", L"http://a.example/%EF%BF%BD%F0%90%80%80%EF%BF%BD"},
        // The ends of the two- and three-byte forms, around the surrogates, and a low surrogate that starts no pair.
        {L"http://a/\u07FF\u0800\uD7FF\uE000\uFFFF\xDC00\xDC00",
         L"http://a/%DF%BF%E0%A0%80%ED%9F%BF%EE%80%80%EF%BF%BF%EF%BF%BD%EF%BF%BD"},
        {L"\u76F8/\u76F8", L"\u76F8/\u76F8"},
    };
    for (const auto& c : cases) EXPECT_EQ(EscapeNonAscii(c.address), c.expected) << c.expected;
    // An address cut out of a longer text ends in a lone surrogate, whatever follows it there.
    EXPECT_EQ(EscapeNonAscii(std::wstring_view(L"http://a/\xD800\xDC00", 10)), L"http://a/%EF%BF%BD");
}

TEST(HostileInput, NamesThatTheFileSystemTakesForOneAreNumberedApart) {
    const struct {
        const wchar_t* first;
        const wchar_t* second;
        bool same;
    } cases[] = {
        {L"\u00C9t\u00E9.jpg", L"\u00E9T\u00C9.jpg", true},            // Latin-1
        {L"\u03A3\u0399\u03A3.jpg", L"\u03C3\u03B9\u03C3.jpg", true},  // Greek
        // Final sigma, micro sign, dotless i, long s: lower-case letters whose upper-case one lowers to another.
        {L"\u03A3.jpg", L"\u03C2.jpg", false},
        {L"\u039C.jpg", L"\u00B5.jpg", false},
        {L"I.jpg", L"\u0131.jpg", false},
        {L"S.jpg", L"\u017F.jpg", false},
        {L"\u041F\u0420\u0418\u0412\u0415\u0422.jpg", L"\u043F\u0440\u0438\u0432\u0435\u0442.jpg", true},  // Cyrillic
        {L"\u0104\u017B.jpg", L"\u0105\u017C.jpg", true},  // Latin Extended-A, both pairings
        {L"\uFF21\uFF22.jpg", L"\uFF41\uFF42.jpg", true},  // full-width
        {L"stra\u00DFe.jpg", L"STRASSE.jpg", false},       // no one-to-two folding
        {L"AZ\u00C0\u00DE\u0178\u01A0.jpg", L"az\u00E0\u00FE\u00FF\u01A1.jpg", true},  // ends of Latin ranges
        {L"\u01C4\u13A0\u10B0\u1F88.jpg", L"\u01C6\uAB70\u2D10\u1F80.jpg", true},  // D-caron, Cherokee, Georgian, Greek
        {L"\u01C4.jpg", L"\u01C5.jpg", false},          // the title-case digraph is a letter of its own
        {L"K.jpg", L"\u212A.jpg", false},               // no case folding: the Kelvin sign stays apart
        {L"\U00010400.jpg", L"\U00010428.jpg", false},  // beyond the BMP, UTF-16 units compare as they are
        {L"\u76F8\u518C.jpg", L"\u76F8\u518C.JPG", true},
    };
    for (const auto& c : cases) {
        RunFileNames names;
        names.Take(c.first);
        EXPECT_EQ(names.Unique(c.second) != c.second, c.same) << static_cast<const void*>(c.first);
    }
}

TEST(HostileInput, TwentyThousandPhotosOfOneNameAreNumberedInOrder) {
    RunFileNames names;
    std::wstring last;
    for (int i = 0; i < 20000; ++i) {
        last = names.Unique(L"a.jpg");
        names.Take(last);
    }
    EXPECT_EQ(last, L"a (20000).jpg");
    // A name given out but not taken (its photo failed) is offered again.
    EXPECT_EQ(names.Unique(L"A.JPG"), L"A (20001).JPG");
    EXPECT_EQ(names.Unique(L"A.JPG"), L"A (20001).JPG");
}

TEST(HostileInput, AShortenedNameIsStillAFileOfItsOwn) {
    // The cut may end the name in a blank or a dot, leave nothing but dots, or uncover a device name.
    const std::wstring x119(119, L'x');
    const std::wstring blanks(150, L' ');
    std::wstring lowest, highest;  // 100 times U+10000 and U+10FFFF, the ends of the surrogate pairs
    while (lowest.size() < 200) lowest += L"\xD800\xDC00", highest += L"\xDBFF\xDFFF";
    const struct {
        std::wstring name;
        std::wstring expected;
    } cases[] = {
        {x119 + L" " + std::wstring(60, L'y'), x119},
        {x119 + L"." + std::wstring(60, L'y'), x119},
        {x119 + L". ." + std::wstring(60, L'y'), x119},
        {L"." + blanks + L"x", L"5.jpg"},
        {L"CON" + blanks + L"x", L"_CON"},
        {L"com1" + blanks + L"x.jpg", L"_com1" + std::wstring(111, L' ') + L".jpg"},
        // An extension of up to eight characters with its dot is kept; a high surrogate at the cut goes, a whole
        // pair stays.
        {std::wstring(200, L'x') + L".abcdefg", std::wstring(112, L'x') + L".abcdefg"},
        {std::wstring(200, L'x') + L".abcdefgh", std::wstring(120, L'x')},
        {L"x" + lowest + L".jpg", L"x" + lowest.substr(0, 114) + L".jpg"},
        {L"x" + highest + L".jpg", L"x" + highest.substr(0, 114) + L".jpg"},
        {L"xx" + lowest + L".jpg", L"xx" + lowest.substr(0, 114) + L".jpg"},
    };
    for (const auto& c : cases) {
        const std::wstring name = MakeSafeFileName(c.name, 4);
        EXPECT_EQ(name, c.expected) << name.size();
        EXPECT_LE(name.size(), 120u);
    }
}

TEST(HostileInput, TheMarkOfTheWebNamesTheInternetZoneAndAnAddressThatCannotAddLines) {
    EXPECT_EQ(ZoneIdentifierText(L"http://hdn.xnimg.cn/a.jpg"),
              "[ZoneTransfer]\r\nZoneId=3\r\nHostUrl=http://hdn.xnimg.cn/a.jpg\r\n");
    EXPECT_EQ(ZoneIdentifierText(L"http://x.cn/\u76F8 b\r\nZoneId=0"),
              "[ZoneTransfer]\r\nZoneId=3\r\nHostUrl=http://x.cn/%E7%9B%B8%20b%0D%0AZoneId=0\r\n");
}

}  // namespace
