#include "World.h"
#include "GaussKrueger.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(GaussKrueger, RoundTripAndStripBorder) {
    // A point on 7.5° E lies 500 km ± the same distance from both central
    // meridians, on opposite sides.
    double n2 = 0, e2 = 0, n3 = 0, e3 = 0;
    MediumGk::forward(7.5, 49.5, 2, n2, e2);
    MediumGk::forward(7.5, 49.5, 3, n3, e3);
    EXPECT_NEAR(e2 - 2500000.0, 3500000.0 - e3, 0.01);
    EXPECT_NEAR(n2, n3, 0.01);
    EXPECT_NEAR(e2, 2608600, 1500); // about 108.6 km east of 6° E
    for (double lon : {6.2, 7.5, 8.9}) {
        for (double lat : {47.5, 49.5, 51.0}) {
            for (int zone : {2, 3}) {
                double n = 0, e = 0, lo = 0, la = 0;
                MediumGk::forward(lon, lat, zone, n, e);
                MediumGk::inverse(n, e, lo, la);
                EXPECT_NEAR(lo, lon, 1e-8);
                EXPECT_NEAR(la, lat, 1e-8);
            }
        }
    }
}
