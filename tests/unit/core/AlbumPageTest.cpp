#include <gtest/gtest.h>

#include <string>

#include "app/AlbumPage.h"

namespace {

constexpr std::wstring_view kHost = L"photo.renren.com";

TEST(AlbumPageAddress, OwnerAndAlbumIdsAreCutOutOfTheAddress) {
    EXPECT_EQ(AlbumPageAddress(L"http://photo.renren.com/photo/123/album-456?frombox=1", kHost),
              L"http://photo.renren.com/photo/123/album-456");
    EXPECT_EQ(AlbumPageAddress(L"http://photo.renren.com/photo/123/album-456#comments", kHost),
              L"http://photo.renren.com/photo/123/album-456");
    EXPECT_EQ(AlbumPageAddress(L"http://photo.renren.com/photo/123/album-456#c?x", kHost),
              L"http://photo.renren.com/photo/123/album-456#c");  // "?" wins over "#"
    EXPECT_EQ(AlbumPageAddress(L"http://photo.renren.com/photo/ 123 /album- 456 ", kHost),
              L"http://photo.renren.com/photo/123/album-456");
}

TEST(AlbumPageAddress, MalformedAddressesFailOrFollowTheMarkers) {
    EXPECT_EQ(AlbumPageAddress(L"http://photo.renren.com/photo/123/", kHost), std::nullopt);  // no "/album"
    EXPECT_EQ(AlbumPageAddress(L"", kHost), std::nullopt);
    // An empty owner id is still cut out by the markers; the site answers for it.
    EXPECT_EQ(AlbumPageAddress(L"http://photo.renren.com/photo//album-2", kHost),
              L"http://photo.renren.com/photo//album-2");
    // Without "photo/" the owner id runs from position 6 up to "/album".
    EXPECT_EQ(AlbumPageAddress(L"abcdefgh/album-9", kHost), L"http://photo.renren.com/photo/fgh/album-9");
}

TEST(PhotoPieces, EveryLoadingMarkerStartsOnePhoto) {
    const std::wstring page =
        L"<head>x</head><img class=\"loading\" data-src=\"http://h/a/1.jpg\"/><img class=\"loading\" "
        L"data-src=\"http://h/b/2.jpg?x\"/>";
    const auto pieces = PhotoPieces(page);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(PhotoAddress(pieces[0]), L"http://h/a/1.jpg");
    EXPECT_EQ(PhotoAddress(pieces[1]), L"http://h/b/2.jpg");
    EXPECT_TRUE(PhotoPieces(L"").empty());
    EXPECT_TRUE(PhotoPieces(L"<html>no photos</html>").empty());
}

TEST(PhotoAddress, APieceWithoutJpgAfterTheMarkerFails) {
    EXPECT_EQ(PhotoAddress(L" data-src=\"http://h/a.png\""), std::nullopt);
    EXPECT_EQ(PhotoAddress(L" x.jpg data-src=\"http://h/a\""), std::nullopt);
}

TEST(ProgressPercent, RoundsToTheNearestWithHalvesToTheEvenNeighbour) {
    EXPECT_EQ(ProgressPercent(0, 12), 0);
    EXPECT_EQ(ProgressPercent(5, 12), 42);  // 41.67
    EXPECT_EQ(ProgressPercent(1, 8), 12);   // 12.5 goes down to the even 12
    EXPECT_EQ(ProgressPercent(3, 8), 38);   // 37.5 goes up to the even 38
    EXPECT_EQ(ProgressPercent(1, 200), 0);  // 0.5
    EXPECT_EQ(ProgressPercent(3, 200), 2);  // 1.5
    EXPECT_EQ(ProgressPercent(12, 12), 100);
    EXPECT_EQ(ProgressPercent(0, 0), 0);
    EXPECT_EQ(ProgressPercent(3, 0), 0);  // no photos: nothing to divide by
}

}  // namespace
