#pragma once
// Rules of an album run that need no platform: the album page's address, the photo addresses on the page,
// and the names the photos are saved under.

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// The text after the last "/" (the whole text when there is none).
std::wstring getFileName(std::wstring_view FilePath);

// "http://" + host + "/photo/" + owner id + "/album-" + album id, cut out of the album address by its
// markers; nullopt when the address has no owner id where one should be ("/album" before "photo/"). Blanks
// and control characters at either end are dropped; one left inside refuses the address.
std::optional<std::wstring> AlbumPageAddress(std::wstring_view albumAddress, std::wstring_view photoHost);

// The pieces of the page after each class="loading" marker, one per photo, in page order.
std::vector<std::wstring_view> PhotoPieces(std::wstring_view page);

// The photo address in a piece: from after data-src=" up to the first ".jpg", with ".jpg" again.
// nullopt when the piece has no ".jpg" after the marker.
std::optional<std::wstring> PhotoAddress(std::wstring_view piece);

enum class NamingScheme { UrlInitName, AblumUpName, AblumDownName };

// The name by the chosen scheme for the photo at zero-based `index` among `count`.
std::wstring PhotoFileName(NamingScheme scheme, std::wstring_view address, int index, int count);

// 100 * index / count to the nearest whole number, halves to the even neighbour.
int ProgressPercent(int index, int count);

// A name that stays inside the save folder: characters Windows forbids replaced, no climbing out, no device
// names, not over-long; the photo's number when nothing usable is left.
std::wstring MakeSafeFileName(std::wstring_view name, int index);

// The names given out in one run, so that two photos of the same name do not overwrite each other.
class RunFileNames {
public:
    // A name not yet used in this run: the name itself, or "stem (2).ext", "stem (3).ext", ...
    [[nodiscard]] std::wstring Unique(const std::wstring& safeName) const;
    void Take(const std::wstring& name);

private:
    std::unordered_set<std::wstring> taken_;                    // folded as the file system folds case
    mutable std::unordered_map<std::wstring, int> nextNumber_;  // per folded name: the first number not seen taken
};
