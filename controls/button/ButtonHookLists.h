#pragma once
// The message lists of the hook on a button's own window: messages the callback hears before the window's
// previous procedure runs, and messages it hears after. A count of -1 covers every message.

#include <cstdint>
#include <vector>

namespace button {

class HookLists {
public:
    enum When : int { kAfter = 1, kBefore = 2, kBoth = 3 };

    // -1 makes the list cover all messages; a message already listed is not added again; a free entry (0) is
    // taken before the list grows.
    void Register(std::uint32_t message, int when);
    void RegisterAll(int when);
    // The entry becomes free (0) and keeps its slot.
    void Unregister(std::uint32_t message, int when);
    void Clear();

    [[nodiscard]] bool Before(std::uint32_t message) const { return Covers(before_, beforeCount_, message); }
    [[nodiscard]] bool After(std::uint32_t message) const { return Covers(after_, afterCount_, message); }
    [[nodiscard]] int AfterCount() const { return afterCount_; }
    [[nodiscard]] int BeforeCount() const { return beforeCount_; }
    [[nodiscard]] const std::vector<std::uint32_t>& AfterList() const { return after_; }

private:
    static bool Covers(const std::vector<std::uint32_t>& list, int count, std::uint32_t message);
    static void Add(std::vector<std::uint32_t>& list, int& count, std::uint32_t message);

    std::vector<std::uint32_t> before_, after_;
    int beforeCount_ = 0, afterCount_ = 0;
};

}  // namespace button
