#include <gtest/gtest.h>

#include "pointer_travel.h"

// The travel is the sum of both distances from the first place seen, and
// only a travel beyond the slack ends the run.
TEST(PointerTravel, EndsOnlyBeyondTheSlackFromTheStart)
{
    PointerTravel travel = {};
    EXPECT_FALSE(PointerTravelEnds(&travel, 100, 50));  // the first place is the start
    EXPECT_FALSE(PointerTravelEnds(&travel, 100, 50));
    EXPECT_FALSE(PointerTravelEnds(&travel, 103, 51));  // 3 + 1
    EXPECT_TRUE(PointerTravelEnds(&travel, 103, 52));  // 3 + 2
    // The start moved to the place that ended it.
    EXPECT_FALSE(PointerTravelEnds(&travel, 101, 50));

    travel = PointerTravel();
    EXPECT_FALSE(PointerTravelEnds(&travel, 0, 0));
    // Measured from the start, not from the last place: steps of 2 end it at the third.
    EXPECT_FALSE(PointerTravelEnds(&travel, -2, 0));
    EXPECT_FALSE(PointerTravelEnds(&travel, -4, 0));
    EXPECT_TRUE(PointerTravelEnds(&travel, -6, 0));

    // Places far apart (outputs in a large layout) are measured without overflow.
    travel = PointerTravel();
    EXPECT_FALSE(PointerTravelEnds(&travel, INT32_MIN, INT32_MIN));
    EXPECT_TRUE(PointerTravelEnds(&travel, INT32_MAX, INT32_MAX));
}
