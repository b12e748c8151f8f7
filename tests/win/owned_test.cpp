// The owning wrapper: releases exactly once, on every path.
#include "checks/owned_win.h"
#include "checks/wide_win.h"

#include <gtest/gtest.h>

using namespace qd::checks;

namespace {

int closed = 0;
struct CountingTraits {
    using type = int;
    static type empty() { return -1; }
    static void close(type) { ++closed; }
};
using Counted = Owned<CountingTraits>;

}  // namespace

TEST(Owned, ReleasesOnceAcrossMovesResetsAndPut)
{
    closed = 0;
    {
        Counted a(5);
        Counted b(std::move(a));
        EXPECT_FALSE(a);
        EXPECT_EQ(b.get(), 5);
        Counted c(7);
        c = std::move(b);  // 7 released, 5 moves over
        EXPECT_EQ(closed, 1);
        *c.put() = 9;  // put releases 5 first
        EXPECT_EQ(closed, 2);
        EXPECT_EQ(c.release(), 9);
        EXPECT_EQ(closed, 2);
        Counted d(3);
        d = std::move(d);  // self-move keeps it
        EXPECT_EQ(d.get(), 3);
    }
    EXPECT_EQ(closed, 3);  // only d was still held
}

TEST(Owned, ClosesRealHandlesAndTreatsFailureValuesAsEmpty)
{
    UniqueHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(event);
    const HANDLE raw = event.get();
    event.reset();
    DWORD flags = 0;
    EXPECT_FALSE(GetHandleInformation(raw, &flags));  // closed

    UniqueFile missing(CreateFileW(L"C:\\no\\such\\file", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(missing);  // INVALID_HANDLE_VALUE is the empty value of files
}

TEST(TextCrossing, WideRoundTrip)
{
    const std::wstring w = to_wide("Quellix \xE2\x80\x94 \xF0\x9F\x98\x80");
    EXPECT_EQ(w, L"Quellix \u2014 \U0001F600");
    EXPECT_EQ(from_wide(w.c_str(), w.size() + 1), "Quellix \xE2\x80\x94 \xF0\x9F\x98\x80");
}
