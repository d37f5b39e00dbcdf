// What a hostile page, a hostile paste or a huge album can bring: addresses with control characters, photo
// addresses aimed at this machine, names that collide only in case, and very many photos of one name.

#include <gtest/gtest.h>

#include <string>

#include "AlbumRules.h"
#include "ZoneIdentifier.h"

namespace {

TEST(HostileInput, APastedAddressLosesControlCharactersAtItsEndsAndIsRefusedWithOneInside) {
    const std::wstring page = L"http://photo.renren.com/photo/1/album-2";
    EXPECT_EQ(AlbumPageAddress(L"\r\n\t http://photo.renren.com/photo/1/album-2\r\n", L"photo.renren.com"), page);
    for (const wchar_t* inside :
         {L"http://photo.renren.com/photo/1\r\n/album-2", L"http://photo.renren.com/photo/1/album-2\r\nX: y",
          L"http://photo.renren.com/photo/1/album-2\x7f" L"3", L"http://photo.renren.com/photo/1/\talbum-2"})
        EXPECT_EQ(AlbumPageAddress(inside, L"photo.renren.com"), std::nullopt);
}

TEST(HostileInput, PhotoAddressesMustBeWebAddressesOfOtherMachines) {
    for (const wchar_t* allowed : {L"http://hdn.xnimg.cn/fmn001/large.jpg", L"HTTPS://a.xnimg.cn:8080/x.jpg",
                                   L"http://user@hdn.xnimg.cn/x.jpg", L"http://1x.example/x.jpg"})
        EXPECT_TRUE(IsAllowedPhotoAddress(allowed)) << allowed;
    // Loopback in every notation the platform reads, a foreign scheme, and addresses that would smuggle
    // something past the check.
    for (const wchar_t* refused : {L"http://127.0.0.2/x.jpg",
                                   L"http://127.1/x.jpg",
                                   L"http://2130706433/x.jpg",
                                   L"http://0x7f.0.0.1/x.jpg",
                                   L"http://0177.0.0.1/x.jpg",
                                   L"http://127.0.0.2./x.jpg",
                                   L"http://hdn.xnimg.cn@127.0.0.2/x.jpg",
                                   L"http://[::1]/x.jpg",
                                   L"http://[::ffff:127.0.0.2]:80/x.jpg",
                                   L"http://[0:0:0:0:0:0:0:1]/x.jpg",
                                   L"http://[::]/x.jpg",
                                   L"http://0/x.jpg",
                                   L"http://[::1/x.jpg",
                                   L"http://%31%32%37.0.0.1/x.jpg",
                                   L"ftp://hdn.xnimg.cn/x.jpg",
                                   L"file:///C:/x.jpg",
                                   L"hdn.xnimg.cn/x.jpg",
                                   L"http://hdn.xnimg.cn/a b.jpg",
                                   L"http://hdn.xnimg.cn/a.jpg\r\nHost: x",
                                   L"http:///x.jpg",
                                   L"http://256.1.1.1.1/x.jpg"})
        EXPECT_FALSE(IsAllowedPhotoAddress(refused)) << refused;
}

TEST(HostileInput, NamesThatTheFileSystemTakesForOneAreNumberedApart) {
    const struct {
        const wchar_t* first;
        const wchar_t* second;
        bool same;
    } cases[] = {
        {L"Photo.JPG", L"photo.jpg", true},
        {L"\u00C9t\u00E9.jpg", L"\u00E9T\u00C9.jpg", true},            // Latin-1
        {L"\u03A3\u0399\u03A3.jpg", L"\u03C3\u03B9\u03C2.jpg", true},  // Greek, final sigma too
        {L"\u041F\u0420\u0418\u0412\u0415\u0422.jpg", L"\u043F\u0440\u0438\u0432\u0435\u0442.jpg", true},  // Cyrillic
        {L"\u0104\u017B.jpg", L"\u0105\u017C.jpg", true},  // Latin Extended-A, both pairings
        {L"\uFF21\uFF22.jpg", L"\uFF41\uFF42.jpg", true},  // full-width
        {L"stra\u00DFe.jpg", L"STRASSE.jpg", false},       // no one-to-two folding
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

TEST(HostileInput, AShortenedNameNeverEndsInABlankOrDot) {
    for (const std::wstring& tail : {std::wstring(L" "), std::wstring(L"."), std::wstring(L". .")}) {
        const std::wstring name = MakeSafeFileName(std::wstring(119, L'x') + tail + std::wstring(60, L'y'), 0);
        ASSERT_FALSE(name.empty());
        EXPECT_NE(name.back(), L' ');
        EXPECT_NE(name.back(), L'.');
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
