// The tray icon's picture at each screen scale, from the icon file the program ships.

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "services/win/modTray.h"
#include "winmsg/win/Dpi.h"

namespace {

// resources/AppTray.ico of this source tree, reached from Wine through drive Z:.
std::filesystem::path TrayIconFile() {
    const std::filesystem::path source = __FILE__;
    return std::filesystem::path(L"Z:" + source.parent_path().parent_path().parent_path().parent_path().wstring()) /
           L"resources" / L"AppTray.ico";
}

// The sizes of the images an icon file holds, from its directory.
std::set<int> ImageSizes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::set<int> sizes;
    const size_t count = bytes.size() >= 6 ? bytes[4] | bytes[5] << 8 : 0;
    for (size_t i = 0; i < count && 6 + 16 * i < bytes.size(); ++i) sizes.insert(bytes[6 + 16 * i]);
    return sizes;
}

TEST(TrayIcon, TheSmallIconOfEachScaleIsAnImageOfItsOwnInTheFile) {
    const std::filesystem::path file = TrayIconFile();
    const std::set<int> sizes = ImageSizes(file);
    EXPECT_EQ(SystemMetricForDpi(SM_CXSMICON, 144), 24) << "150 % takes the 24-pixel image";
    for (const int dpi : {96, 120, 144, 192, 240, 288}) {
        const int side = SystemMetricForDpi(SM_CXSMICON, dpi);
        EXPECT_EQ(sizes.count(side), 1u) << "drawn for " << dpi << " DPI, not stretched from another size";
        const UniqueIcon icon = LoadTrayIcon(file.wstring(), dpi);
        ICONINFO info{};
        ASSERT_TRUE(icon && GetIconInfo(icon.Get(), &info)) << dpi;
        const UniqueBitmap mask(info.hbmMask), color(info.hbmColor);
        BITMAP bm{};
        GetObjectW(color.Get(), sizeof bm, &bm);
        EXPECT_EQ(bm.bmWidth, side) << dpi;
        EXPECT_EQ(bm.bmHeight, SystemMetricForDpi(SM_CYSMICON, dpi)) << dpi;
    }
}

}  // namespace
