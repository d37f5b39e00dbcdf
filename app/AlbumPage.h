#pragma once
// Reading an album without the platform: the album page's address from the one the user pasted, the photo
// addresses on the page, and how far a run through them has come.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// "http://" + host + "/photo/" + owner id + "/album-" + album id, cut out of the album address by its
// markers; nullopt when the address has no owner id where one should be ("/album" before "photo/"). Blanks
// and control characters at either end are dropped; one left inside refuses the address.
std::optional<std::wstring> AlbumPageAddress(std::wstring_view albumAddress, std::wstring_view photoHost);

// The pieces of the page after each class="loading" marker, one per photo, in page order.
std::vector<std::wstring_view> PhotoPieces(std::wstring_view page);

// The photo address in a piece: from after data-src=" up to the first ".jpg", with ".jpg" again.
// nullopt when the piece has no ".jpg" after the marker.
std::optional<std::wstring> PhotoAddress(std::wstring_view piece);

// 100 * index / count to the nearest whole number, halves to the even neighbour.
int ProgressPercent(int index, int count);
