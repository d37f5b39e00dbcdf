#pragma once
// The names photos are saved under: one by the chosen scheme, made safe for the save folder, and kept apart
// from the other names of the same run.

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

// The text after the last "/" (the whole text when there is none).
std::wstring getFileName(std::wstring_view FilePath);

enum class NamingScheme { UrlInitName, AblumUpName, AblumDownName };

// The name by the chosen scheme for the photo at zero-based `index` among `count`.
std::wstring PhotoFileName(NamingScheme scheme, std::wstring_view address, int index, int count);

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
