// What every pixel filter's table holds alike, whatever its tracks: no
// position, a per-frame callback and no other, no run-time or extra data, an
// information string, reserve words all zero, and one address for every call.
#pragma once

#include <gtest/gtest.h>

#include "sdk/filter.h"

namespace testkit {

inline void expect_pixel_filter_table(FILTER_DLL *(*get)(void)) {
    const FILTER_DLL *t = get();
    ASSERT_EQ(t, get());
    EXPECT_EQ(t->x, 0);
    EXPECT_EQ(t->y, 0);
    EXPECT_NE(t->func_proc, nullptr);
    EXPECT_EQ(t->func_init, nullptr);
    EXPECT_EQ(t->func_exit, nullptr);
    EXPECT_EQ(t->func_update, nullptr);
    EXPECT_EQ(t->func_WndProc, nullptr);
    EXPECT_EQ(t->track, nullptr);
    EXPECT_EQ(t->check, nullptr);
    EXPECT_EQ(t->ex_data_ptr, nullptr);
    EXPECT_EQ(t->ex_data_size, 0);
    EXPECT_NE(t->information, nullptr);
    for (int r : t->reserve) EXPECT_EQ(r, 0);
}

}  // namespace testkit
