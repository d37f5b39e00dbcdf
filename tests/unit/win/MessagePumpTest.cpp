#include <gtest/gtest.h>
#include <windows.h>

#include "winmsg/win/MessagePump.h"

namespace {

TEST(MessagePump, AWaitThatCannotWaitFailsAtOnce) {
    // A file mapping is an object nobody can wait on.
    HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, nullptr);
    ASSERT_NE(mapping, nullptr);
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(MessagePump::WaitFor(mapping, 2000), MessagePump::WaitResult::Failed);
    EXPECT_LT(GetTickCount64() - start, 1000u);
    CloseHandle(mapping);
}

}  // namespace
