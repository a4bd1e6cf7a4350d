#pragma once
// One rule for a window's layout, checked on the layout table in twips and
// again on the real windows in pixels: what only the real window gets wrong
// (a peer's scaling, a control the system sizes itself) shows in the second.

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

namespace tf::testing {

struct Placed {
    std::string name;
    int left, top, right, bottom;
    bool behind; // frames, pictures and lines lie behind other controls
};

// Every control has a size and lies inside the client area; none covers
// another unless one of them lies behind.
inline void ExpectInsideWithoutOverlap(const std::vector<Placed> &placed, int client_right,
                                       int client_bottom) {
    for (const Placed &p : placed) {
        EXPECT_GT(p.right, p.left) << p.name;
        EXPECT_GT(p.bottom, p.top) << p.name;
        EXPECT_GE(p.left, 0) << p.name;
        EXPECT_GE(p.top, 0) << p.name;
        EXPECT_LE(p.right, client_right) << p.name;
        EXPECT_LE(p.bottom, client_bottom) << p.name;
    }
    for (std::size_t i = 0; i < placed.size(); ++i)
        for (std::size_t j = i + 1; j < placed.size(); ++j) {
            const Placed &a = placed[i], &b = placed[j];
            if (a.behind || b.behind)
                continue;
            EXPECT_FALSE(a.left < b.right && b.left < a.right && a.top < b.bottom &&
                         b.top < a.bottom)
                << a.name << " overlaps " << b.name;
        }
}

} // namespace tf::testing
