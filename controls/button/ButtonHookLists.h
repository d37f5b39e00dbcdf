#pragma once
// The message lists of the hook on a button's own window: messages the callback hears before the window handles
// them, and messages it hears after. A count of -1 covers every message.

#include <cstdint>
#include <vector>

namespace button {

class HookLists {
public:
    enum When : int { kAfter = 1, kBefore = 2, kBoth = 3 };

    // A message already listed is not added again; a free entry (0) is taken before the list grows; a list that
    // covers every message stays so.
    void Register(std::uint32_t message, int when);
    // The list covers every message from now on; its count reads -1.
    void RegisterAll(int when);
    // The entry becomes free (0) and keeps its slot.
    void Unregister(std::uint32_t message, int when);
    void Clear();

    [[nodiscard]] bool Before(std::uint32_t message) const { return before_.Covers(message); }
    [[nodiscard]] bool After(std::uint32_t message) const { return after_.Covers(message); }
    [[nodiscard]] int AfterCount() const { return after_.Count(); }
    [[nodiscard]] int BeforeCount() const { return before_.Count(); }
    [[nodiscard]] const std::vector<std::uint32_t>& AfterList() const { return after_.messages; }

private:
    struct List {
        std::vector<std::uint32_t> messages;  // free entries are 0 and keep their slot
        bool all = false;

        [[nodiscard]] int Count() const { return all ? -1 : static_cast<int>(messages.size()); }
        [[nodiscard]] bool Covers(std::uint32_t message) const;
        void Add(std::uint32_t message);
    };

    List before_, after_;
};

}  // namespace button
