#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>

#include "app/AlbumPage.h"

namespace {

constexpr std::wstring_view kHost = L"photo.renren.com";

TEST(AlbumPageAddress, OwnerAndAlbumIdsAreCutOutOfTheAddressByItsMarkers) {
    const std::wstring page = L"http://photo.renren.com/photo/123/album-456";
    const std::pair<std::wstring, std::optional<std::wstring>> cases[] = {
        {L"http://photo.renren.com/photo/123/album-456?frombox=1", page},
        // A paste brings control characters at its ends; one inside would reach the request line.
        {L"\r\n\t " + page + L"\r\n", page},
        {L"http://photo.renren.com/photo/123\r\n/album-456", std::nullopt},
        {page + L"\r\nX: y", std::nullopt},
        {page + L"\x7f\x33", std::nullopt},
        {page + L"\x80\x33", std::nullopt},
        {L"http://photo.renren.com/photo/123/\talbum-456", std::nullopt},
        {L"http://photo.renren.com/photo/123/album-456#comments", page},
        {L"http://photo.renren.com/photo/123/album-456#c?x", page + L"#c"},  // "?" wins over "#"
        {L"http://photo.renren.com/photo/ 123 /album- 456 ", page},
        {L"http://photo.renren.com/photo/123/", std::nullopt},  // no "/album"
        {L"", std::nullopt},
        // An empty owner id is still cut out by the markers; the site answers for it.
        {L"http://photo.renren.com/photo//album-2", L"http://photo.renren.com/photo//album-2"},
        // Without "photo/" the owner id runs from position 6 up to "/album".
        {L"abcdefgh/album-9", L"http://photo.renren.com/photo/fgh/album-9"},
    };
    for (const auto& [address, expected] : cases) EXPECT_EQ(AlbumPageAddress(address, kHost), expected) << address;
}

TEST(PhotoPieces, EveryLoadingMarkerStartsOnePhotoWhoseAddressEndsAtItsFirstJpg) {
    const std::wstring page =
        L"<head>x</head><img class=\"loading\" data-src=\"http://h/a/1.jpg\"/><img class=\"loading\" "
        L"data-src=\"http://h/b/2.jpg?x\"/>";
    const auto pieces = PhotoPieces(page);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(PhotoAddress(pieces[0]), L"http://h/a/1.jpg");
    EXPECT_EQ(PhotoAddress(pieces[1]), L"http://h/b/2.jpg");
    EXPECT_TRUE(PhotoPieces(L"").empty());
    EXPECT_TRUE(PhotoPieces(L"<html>no photos</html>").empty());
    EXPECT_EQ(PhotoAddress(L" data-src=\"http://h/a.png\""), std::nullopt);
    EXPECT_EQ(PhotoAddress(L" x.jpg data-src=\"http://h/a\""), std::nullopt);
}

TEST(ProgressPercent, RoundsToTheNearestWithHalvesToTheEvenNeighbour) {
    // 41.67; 12.5 down and 37.5 up to the even neighbour, 0.5 and 1.5 alike; no photos: nothing to divide by.
    const int cases[][3] = {{0, 12, 0},  {5, 12, 42},   {1, 8, 12}, {3, 8, 38}, {1, 200, 0},
                            {3, 200, 2}, {12, 12, 100}, {0, 0, 0},  {3, 0, 0}};
    for (const auto& [index, count, percent] : cases)
        EXPECT_EQ(ProgressPercent(index, count), percent) << index << '/' << count;
}

}  // namespace
