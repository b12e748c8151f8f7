// The window state's slot: one holder at a time, never waited for.
#include "gui/window_state_win.h"

#include <gtest/gtest.h>

#include <memory>

using namespace qd::gui;

TEST(StateSlot, TakeIsExclusiveNeverWaitsAndRefusesAnEmptySlot)
{
    {
        StateGuard none;
        EXPECT_FALSE(none);  // nothing put in yet
    }
    auto owned = std::make_unique<WindowState>();
    WindowState* const raw = owned.get();
    put_window_state(std::move(owned));
    {
        StateGuard outer;
        ASSERT_TRUE(outer);
        EXPECT_EQ(&*outer, raw);
        {
            StateGuard nested;
            EXPECT_FALSE(nested);  // refused at once, not waited for
        }
        EXPECT_EQ(take_out_window_state(), nullptr);        // not while in use
        put_window_state(std::make_unique<WindowState>());  // nor replaced under the holder
        EXPECT_EQ(&*outer, raw);
        outer.release();
        StateGuard again;  // the early release gave the slot back
        EXPECT_TRUE(again);
        EXPECT_EQ(&*again, raw);
    }
    {
        StateGuard after;  // the nested refusal did not free the slot on its way out
        EXPECT_TRUE(after);
    }
    std::unique_ptr<WindowState> out = take_out_window_state();
    EXPECT_EQ(out.get(), raw);
    StateGuard empty_again;
    EXPECT_FALSE(empty_again);
}
