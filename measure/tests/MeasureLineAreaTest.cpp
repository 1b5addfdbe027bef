// The measurement, its figures in the window's number format and the frame
// that shows them.
#include "MeasureLineArea.h"
#include "MeasureNumber.h"
#include "Registry.h"
#include "TMeasureFrame.h"

#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// A map library Gauss-Krüger position (a = northing, b = easting).
Coord gk(double northing, double easting, uint32_t zone = 3) {
    Coord c{};
    c.type = 1;
    c.zone = zone;
    c.x = northing;
    c.y = easting;
    return c;
}

// The triangle of the window's examples, 3 m and 4 m legs, in strip 3.
void addTriangle(MeasureLineArea& m) {
    const double n0 = 5600000, e0 = 3500000;
    ASSERT_TRUE(m.AddPoint(gk(n0 + 0, e0 + 0)));
    ASSERT_TRUE(m.AddPoint(gk(n0 + 0, e0 + 3)));
    ASSERT_TRUE(m.AddPoint(gk(n0 + 4, e0 + 3)));
}

} // namespace

TEST(MeasureLineArea, TriangleLineClosedAndReopened) {
    MeasureLineArea m;
    std::vector<bool> told;
    m.AddListener([&](bool added) { told.push_back(added); });

    EXPECT_FALSE(m.DeleteLast()) << "nothing to delete";
    EXPECT_TRUE(told.empty());

    addTriangle(m);
    EXPECT_EQ(m.PointCount(), 3);
    EXPECT_DOUBLE_EQ(m.Last(), 4.0);
    EXPECT_DOUBLE_EQ(m.Total(), 7.0);
    EXPECT_EQ(told, (std::vector<bool>{true, true, true}));

    m.CloseArea();
    EXPECT_TRUE(m.Closed());
    EXPECT_DOUBLE_EQ(m.Last(), 5.0) << "the closing segment";
    EXPECT_DOUBLE_EQ(m.Total(), 12.0);
    EXPECT_DOUBLE_EQ(std::fabs(m.Area()), 6.0);
    EXPECT_FALSE(told.back()) << "closing adds no point";

    // A closed area takes no more points.
    EXPECT_FALSE(m.AddPoint(gk(5600010, 3500010)));
    EXPECT_EQ(m.PointCount(), 3);

    // Delete last on a closed area only reopens it.
    EXPECT_TRUE(m.DeleteLast());
    EXPECT_FALSE(m.Closed());
    EXPECT_EQ(m.PointCount(), 3);
    EXPECT_DOUBLE_EQ(m.Total(), 7.0);
    EXPECT_DOUBLE_EQ(m.Last(), 4.0);

    // The next one removes the last point.
    EXPECT_TRUE(m.DeleteLast());
    EXPECT_EQ(m.PointCount(), 2);
    EXPECT_DOUBLE_EQ(m.Total(), 3.0);
    EXPECT_DOUBLE_EQ(m.Area(), 0.0) << "a line of two points encloses nothing";

    m.DeleteAll();
    EXPECT_EQ(m.PointCount(), 0);
    EXPECT_DOUBLE_EQ(m.Total(), 0.0);
    EXPECT_DOUBLE_EQ(m.Last(), 0.0);
}

TEST(MeasureLineArea, AreaSignFollowsDirectionAndOpenRingCounts) {
    MeasureLineArea clockwise, counter;
    addTriangle(clockwise);
    clockwise.CloseArea();
    const double n0 = 5600000, e0 = 3500000;
    ASSERT_TRUE(counter.AddPoint(gk(n0 + 4, e0 + 3)));
    ASSERT_TRUE(counter.AddPoint(gk(n0 + 0, e0 + 3)));
    ASSERT_TRUE(counter.AddPoint(gk(n0 + 0, e0 + 0)));
    EXPECT_DOUBLE_EQ(std::fabs(counter.Area()), 6.0) << "the area is of the ring even while the line is open";
    counter.CloseArea();
    EXPECT_DOUBLE_EQ(clockwise.Area(), -counter.Area());
}

TEST(MeasureLineArea, PointsFollowTheStripOfTheFirstPoint) {
    // 7.49° E in strip 2 and 7.51° E in strip 3, at 49.55° N: the line
    // crosses the strip border. The second point is converted into strip 2.
    Transid::BuildRegistry();
    auto strip = [](double lon, double lat, uint32_t zone) {
        Coord geo{};
        geo.type = Transid::Code::DhdnGeographic;
        geo.x = lon;
        geo.y = lat;
        Coord out{};
        out.type = Transid::Code::DhdnGaussKrueger;
        out.zone = zone;
        EXPECT_TRUE(Transid::Convert(geo, out));
        return gk(out.y, out.x, zone);
    };
    const Coord west = strip(7.49, 49.55, 2);
    const Coord east = strip(7.51, 49.55, 3);
    const Coord eastInTwo = strip(7.51, 49.55, 2);

    MeasureLineArea m;
    ASSERT_TRUE(m.AddPoint(west));
    ASSERT_TRUE(m.AddPoint(east));
    ASSERT_EQ(m.PointCount(), 2);
    EXPECT_EQ(m.Points()[0].zone, 2u);
    EXPECT_EQ(m.Points()[1].zone, 2u);
    // The map library's conversion against the registry's, both Gauss-Krüger
    // on Bessel: they agree to the millimetre.
    EXPECT_NEAR(m.Points()[1].x, eastInTwo.x, 0.01);
    EXPECT_NEAR(m.Points()[1].y, eastInTwo.y, 0.01);
    const double expected = std::hypot(eastInTwo.x - west.x, eastInTwo.y - west.y);
    EXPECT_NEAR(expected, 1447.0, 5.0) << "0.02° of longitude";
    EXPECT_NEAR(m.Total(), expected, 0.01);

    // The same line begun east of the border is measured in strip 3 and is
    // as long, but for the strips' different scale (a few centimetres here).
    MeasureLineArea back;
    ASSERT_TRUE(back.AddPoint(east));
    ASSERT_TRUE(back.AddPoint(west));
    EXPECT_EQ(back.Points()[1].zone, 3u);
    EXPECT_NEAR(back.Total(), m.Total(), 0.5);

    // A position that is no place on earth adds nothing.
    Coord nowhere{};
    nowhere.type = 0x8000; // map pixel of no map
    EXPECT_FALSE(m.AddPoint(nowhere));
    EXPECT_EQ(m.PointCount(), 2);
}

TEST(MeasureNumberFormat, ThousandsAndDecimals) {
    const MeasureNumberFormat none(0);
    EXPECT_EQ(none.Format(), "%.0f");
    EXPECT_EQ(none.Length(1234567.4), "1.234.567 m");
    EXPECT_EQ(none.Length(1234.6), "1.235 m");
    EXPECT_EQ(none.Length(999.4), "999 m");
    EXPECT_EQ(none.Length(999.5), "1.000 m");
    EXPECT_EQ(none.Length(0), "0 m");
    EXPECT_EQ(none.Area(6.0), "6 m²");
    EXPECT_EQ(none.Area(123456.0), "123.456 m²");

    const MeasureNumberFormat two(2);
    EXPECT_EQ(two.Format(), "%.2f");
    EXPECT_EQ(two.Length(1234.567), "1.234,57 m");
    EXPECT_EQ(two.Length(0.5), "0,50 m");
    EXPECT_EQ(two.Number(-1234.5), "-1.234,50") << "no separator after the sign";
}

TEST(TMeasureFrame, FollowsTheMeasurement) {
    const MeasureNumberFormat format(0);
    MeasureLineArea m;
    TMeasureFrame frame(format);
    frame.show();
    EXPECT_EQ(frame.lblLastDist->text(), "Letzte Teilstrecke:");
    EXPECT_EQ(frame.lblSumDist->text(), "Gesamtstrecke:");
    EXPECT_EQ(frame.lblArea->text(), "Fläche:");
    EXPECT_EQ(frame.txtLastDist->text(), "0 m");
    EXPECT_EQ(frame.txtSumDist->text(), "0 m");
    EXPECT_EQ(frame.txtArea->text(), "0 m²");
    EXPECT_EQ(frame.pshCloseArea->text(), "&Fläche schließen");
    EXPECT_EQ(frame.pshDeleteLast->text(), "&Letzte Teilstrecke löschen");
    EXPECT_EQ(frame.pshDeleteAll->text(), "&Gesamtstrecke löschen");
    EXPECT_TRUE(frame.txtLastDist->alignment() & Qt::AlignRight);

    frame.Bind(&m);
    const double n0 = 5600000, e0 = 3500000;
    ASSERT_TRUE(m.AddPoint(gk(n0, e0)));
    ASSERT_TRUE(m.AddPoint(gk(n0, e0 + 1234.6)));
    EXPECT_EQ(frame.txtSumDist->text(), "1.235 m");
    EXPECT_TRUE(frame.pshCloseArea->isVisible());
    EXPECT_FALSE(frame.pshCloseArea->isEnabled()) << "two points cannot be closed";
    frame.pshCloseArea->click();
    EXPECT_FALSE(m.Closed());
    EXPECT_FALSE(frame.lblArea->isVisible());
    EXPECT_FALSE(frame.txtArea->isVisible());

    frame.pshDeleteAll->click();
    addTriangle(m);
    EXPECT_EQ(frame.txtLastDist->text(), "4 m");
    EXPECT_EQ(frame.txtSumDist->text(), "7 m");
    ASSERT_TRUE(frame.pshCloseArea->isEnabled());
    frame.pshCloseArea->click();
    ASSERT_TRUE(m.Closed());
    EXPECT_EQ(frame.txtLastDist->text(), "5 m");
    EXPECT_EQ(frame.txtSumDist->text(), "12 m");
    EXPECT_TRUE(frame.lblArea->isVisible());
    EXPECT_TRUE(frame.txtArea->isVisible());
    EXPECT_EQ(frame.txtArea->text(), "6 m²");
    EXPECT_FALSE(frame.pshCloseArea->isVisible());
    EXPECT_EQ(frame.pshDeleteAll->text(), "&Gesamtfläche löschen");

    // Delete last reopens: the area line goes, the total falls back.
    frame.pshDeleteLast->click();
    EXPECT_FALSE(m.Closed());
    EXPECT_EQ(frame.txtSumDist->text(), "7 m");
    EXPECT_FALSE(frame.txtArea->isVisible());
    EXPECT_TRUE(frame.pshCloseArea->isVisible());
    EXPECT_EQ(frame.pshDeleteAll->text(), "&Gesamtstrecke löschen");

    frame.pshDeleteAll->click();
    EXPECT_EQ(m.PointCount(), 0);
    EXPECT_EQ(frame.txtSumDist->text(), "0 m");

    // An unbound frame no longer follows.
    frame.Bind(nullptr);
    addTriangle(m);
    EXPECT_EQ(frame.txtSumDist->text(), "0 m");
}
