#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/PhotoNames.h"

namespace {

TEST(PhotoFileName, TheThreeSchemes) {
    EXPECT_EQ(PhotoFileName(NamingScheme::UrlInitName, L"http://h/abc/x_1.jpg", 0, 12), L"x_1.jpg");
    EXPECT_EQ(PhotoFileName(NamingScheme::AblumUpName, L"http://h/abc/x_1.jpg", 0, 12), L"1.jpg");
    EXPECT_EQ(PhotoFileName(NamingScheme::AblumDownName, L"http://h/abc/x_1.jpg", 0, 12), L"12.jpg");
    EXPECT_EQ(PhotoFileName(NamingScheme::AblumDownName, L"http://h/abc/x_1.jpg", 11, 12), L"1.jpg");
    EXPECT_EQ(getFileName(L"no-slash.jpg"), L"no-slash.jpg");
}

TEST(MakeSafeFileName, NamesFromThePageCannotLeaveTheFolder) {
    EXPECT_EQ(MakeSafeFileName(L"..\\..\\evil.jpg", 0), L".._.._evil.jpg");
    EXPECT_EQ(MakeSafeFileName(L"..", 4), L"5.jpg");
    EXPECT_EQ(MakeSafeFileName(L"", 0), L"1.jpg");
    EXPECT_EQ(MakeSafeFileName(L"  photo.jpg. ", 0), L"photo.jpg");
    // Every character Windows forbids becomes an underscore.
    std::wstring forbidden = L"<>:\"/\\|?*";
    for (wchar_t c = 0; c < 32; ++c) forbidden += c;
    for (const wchar_t c : forbidden)
        EXPECT_EQ(MakeSafeFileName(std::wstring(L"a") + c + L"b.jpg", 0), L"a_b.jpg") << static_cast<int>(c);
    // Everything else passes, the characters next to the forbidden ones and wide ones included.
    EXPECT_EQ(MakeSafeFileName(L"a !#$%&'()+,-;=@[]^`{}~\u00A0\u76F8.jpg", 0),
              L"a !#$%&'()+,-;=@[]^`{}~\u00A0\u76F8.jpg");
}

TEST(MakeSafeFileName, EveryReservedDeviceNameIsMadeAFileName) {
    std::vector<std::wstring> devices{L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
    for (const wchar_t* stem : {L"COM", L"LPT"})
        for (const wchar_t digit : std::wstring(L"0123456789\u00B9\u00B2\u00B3"))
            devices.push_back(stem + std::wstring(1, digit));
    for (const std::wstring& device : devices) {
        for (const std::wstring& name : {device, device + L".jpg", device + L" .jpg"}) {
            EXPECT_EQ(MakeSafeFileName(name, 0), L"_" + name);
            std::wstring lower = name;
            for (wchar_t& c : lower)
                if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c + 32);
            EXPECT_EQ(MakeSafeFileName(lower, 0), L"_" + lower);
        }
    }
    // One letter more or less, or a second digit, is an ordinary name.
    for (const wchar_t* name :
         {L"CO.jpg", L"CONS.jpg", L"COM.jpg", L"COM10.jpg", L"LPTX.jpg", L"NULL.jpg", L"xCON.jpg"})
        EXPECT_EQ(MakeSafeFileName(name, 0), name);
}

TEST(RunFileNames, LaterPhotosOfTheSameNameGetNumberedNamesInTheirOwnCase) {
    RunFileNames names;
    // Compared without case, named with its own; a number never collides with a name already given out.
    const std::pair<const wchar_t*, const wchar_t*> steps[] = {
        {L"Photo.JPG", L"Photo.JPG"},
        {L"photo.jpg", L"photo (2).jpg"},
        {L"photo (4).jpg", L"photo (4).jpg"},
        {L"PHOTO.jpg", L"PHOTO (3).jpg"},
        {L"photo.JPG", L"photo (5).JPG"},
        {L"pHoTo (2).JPG", L"pHoTo (2) (2).JPG"},
        {L"noext", L"noext"},
        {L"NOEXT", L"NOEXT (2)"},
        {L".Jpg", L".Jpg"},
        {L".jpg", L".jpg (2)"},  // a leading dot starts no extension
    };
    for (const auto& [name, expected] : steps) {
        const std::wstring unique = names.Unique(name);
        EXPECT_EQ(unique, expected) << name;
        names.Take(unique);
    }
}

}  // namespace
