#include "TransformCoords.h"
#include "DatumShift.h"
#include "GaussKrueger.h"
#include "MosaicGeoreference.h"
#include "TlmGeoreference.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

using namespace MapCoords;

struct TestMap final : CoordMap {
    explicit TestMap(std::unique_ptr<MapGeoreference> g) : georef(std::move(g)) {}
    const MapGeoreference& georeference() const override { return *georef; }
    ExternalCoordHook externalCoordHook() const override { return hooks.hook(); }
    std::unique_ptr<MapGeoreference> georef;
    ExternalCoordHookSlot hooks;
};

struct TestWindow final : CoordWindow {
    uint32_t mapId() const override { return map; }
    PixelOffset drawnOrigin() const override { return origin; }
    uint32_t map = 0;
    PixelOffset origin;
};

struct TestSurface final : CoordSurface {
    Binding binding() const override { return bound; }
    Binding bound;
};

Coord make(uint32_t type, uint32_t parameter, double a = 0.0, double b = 0.0) {
    Coord c;
    c.type = type;
    c.zone = parameter;
    c.x = a;
    c.y = b;
    return c;
}

// A north-up Gauss-Krüger map with 10 m pixels whose pixel (0, 0) lies at
// (e0, n0), as a kind-255 similarity transform.
std::unique_ptr<MapGeoreference> similarityMap(double e0, double n0, int32_t width, int32_t height, double zoom = 1.0) {
    return std::make_unique<TlmGeoreference>(255, static_cast<int32_t>(std::floor(e0 * 1e-6)), -0.1 * e0, 0.1 * n0, 0.0,
                                             -0.1, width, height, zoom);
}

class TransformCoordsTest : public ::testing::Test {
protected:
    uint32_t addMap(std::unique_ptr<MapGeoreference> g) {
        m_maps.push_back(std::make_unique<TestMap>(std::move(g)));
        return maps.add(m_maps.back().get());
    }
    uint32_t addWindow(uint32_t map, double ox = 0, double oy = 0) {
        m_windows.push_back(std::make_unique<TestWindow>());
        m_windows.back()->map = map;
        m_windows.back()->origin = {ox, oy};
        return windows.add(m_windows.back().get());
    }
    uint32_t addSurface(CoordSurface::Kind kind, uint32_t id, double ox = 0, double oy = 0) {
        m_surfaces.push_back(std::make_unique<TestSurface>());
        m_surfaces.back()->bound = {kind, id, {ox, oy}};
        return surfaces.add(m_surfaces.back().get());
    }
    Status convert(const Coord& s, Coord& t) const { return transformCoordsEx(resolver, s, t); }

    IdRegistry<TestMap> maps;
    IdRegistry<TestWindow> windows;
    IdRegistry<TestSurface> surfaces;
    RegistryResolver<TestMap, TestWindow, TestSurface> resolver{maps, windows, surfaces};

private:
    std::vector<std::unique_ptr<TestMap>> m_maps;
    std::vector<std::unique_ptr<TestWindow>> m_windows;
    std::vector<std::unique_ptr<TestSurface>> m_surfaces;
};

TEST(IdRegistry, IdsAreNonZeroAndNotReusedAfterRemoval) {
    IdRegistry<int> r;
    int a = 1, b = 2;
    const uint32_t ia = r.add(&a);
    const uint32_t ib = r.add(&b);
    EXPECT_NE(ia, 0u);
    EXPECT_NE(ia, ib);
    EXPECT_EQ(r.find(ia), &a);
    EXPECT_EQ(r.find(0), nullptr);
    EXPECT_TRUE(r.remove(ia));
    EXPECT_FALSE(r.remove(ia));
    EXPECT_EQ(r.find(ia), nullptr);
    const uint32_t ic = r.add(&a);
    EXPECT_NE(ic, ia); // a stale id does not reach the new object
    EXPECT_EQ(r.size(), 2u);
}

TEST_F(TransformCoordsTest, GaussKruegerTargetChoosesTheNearestStrip) {
    Coord t = make(TypeGaussKrueger, 0);
    EXPECT_EQ(convert(make(TypeGeoDhdn, 0, 7.4, 50.0), t), StatusConverted);
    EXPECT_EQ(t.zone, 2u);
    EXPECT_EQ(std::floor(t.y * 1e-6), 2.0);
    const GaussKrueger::Projected p = GaussKrueger::forward(7.4, 50.0, 2);
    EXPECT_EQ(t.x, p.northing);
    EXPECT_EQ(t.y, p.easting);

    t = make(TypeGaussKrueger, 0);
    EXPECT_EQ(convert(make(TypeGeoDhdn, 0, 7.6, 50.0), t), StatusConverted);
    EXPECT_EQ(t.zone, 3u);
    EXPECT_EQ(std::floor(t.y * 1e-6), 3.0);

    // A given strip is kept even far from its meridian.
    t = make(TypeGaussKrueger, 4);
    EXPECT_EQ(convert(make(TypeGeoDhdn, 0, 10.4, 50.0), t), StatusConverted);
    EXPECT_EQ(std::floor(t.y * 1e-6), 4.0);

    // Unusable numbers fail instead of producing a strip from garbage.
    t = make(TypeGaussKrueger, 0);
    EXPECT_EQ(convert(make(TypeGeoDhdn, 0, NAN, 50.0), t), StatusNotProvided);
}

TEST_F(TransformCoordsTest, PointOfAZoneThreeMapIntoZoneTwo) {
    const uint32_t map = addMap(similarityMap(3400000, 5550000, 2000, 2000));
    const Coord pixel = make(TypeMapPixel, map, 100, 200);
    Coord native = make(TypeGaussKrueger, 3);
    ASSERT_EQ(convert(pixel, native), StatusConverted);
    EXPECT_NEAR(native.y, 3401000, 1e-6);
    EXPECT_NEAR(native.x, 5548000, 1e-6);

    Coord z2 = make(TypeGaussKrueger, 2);
    ASSERT_EQ(convert(pixel, z2), StatusConverted);
    EXPECT_EQ(std::floor(z2.y * 1e-6), 2.0);
    const GaussKrueger::Geographic g = GaussKrueger::inverse(native.x, native.y, 3);
    const GaussKrueger::Projected p = GaussKrueger::forward(g.longitude, g.latitude, 2);
    EXPECT_EQ(z2.x, p.northing);
    EXPECT_EQ(z2.y, p.easting);

    // ... and back from zone 2 to the same pixel.
    Coord back = make(TypeMapPixel | OptionNoRounding, map);
    ASSERT_EQ(convert(z2, back), StatusConverted);
    EXPECT_NEAR(back.x, 100, 1e-3);
    EXPECT_NEAR(back.y, 200, 1e-3);
}

TEST_F(TransformCoordsTest, RoundTripsPixelToGaussKruegerOnEveryGeoreference) {
    struct Case {
        const char* legend;
        std::unique_ptr<MapGeoreference> georef;
        double x, y;
    };
    Case cases[] = {
        {"kind 1, zoom 2", std::make_unique<TlmGeoreference>(1, 3, 3500000, 3510000, 5510000, 5500000, 1000, 1000, 2.0),
         1234.5, 777.25},
        {"kind 2, zoom 0.5", std::make_unique<TlmGeoreference>(2, 0, 49.5, 50.0, 8.5, 9.5, 4000, 3000, 0.5), 1500.75,
         333.5},
        {"kind 255, zoom 2", similarityMap(3500000, 5510000, 1000, 1000, 2.0), 1234.5, 777.25},
        {"sheet mosaic", std::make_unique<MosaicGeoreference>(3500000, 5500000, 5000, 5000, 2, 3, 1000, 1000), 2345.5,
         1500.25},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.legend);
        const uint32_t map = addMap(std::move(c.georef));
        Coord gk = make(TypeGaussKrueger, 0);
        ASSERT_EQ(convert(make(TypeMapPixel, map, c.x, c.y), gk), StatusConverted);
        EXPECT_NE(gk.zone, 0u);
        Coord back = make(TypeMapPixel | OptionNoRounding, map);
        ASSERT_EQ(convert(gk, back), StatusConverted);
        EXPECT_NEAR(back.x, c.x, 1e-3);
        EXPECT_NEAR(back.y, c.y, 1e-3);
    }
}

TEST_F(TransformCoordsTest, PixelBeyondTheRightEdgeIsConvertedButReportedOutside) {
    const uint32_t map = addMap(similarityMap(3500000, 5510000, 100, 100));
    Coord t = make(TypeMapPixel, map);
    const Coord east = make(TypeGaussKrueger, 3, 5509500, 3501000); // x = 100
    EXPECT_EQ(convert(east, t), StatusOutsideMap);
    EXPECT_EQ(t.x, 100.0);
    EXPECT_EQ(t.y, 50.0);
    t = make(TypeMapPixel, map);
    EXPECT_EQ(transformCoords(resolver, east, t), 0);
    t = make(TypeMapPixel, map);
    EXPECT_EQ(transformCoords(resolver, make(TypeGaussKrueger, 3, 5509500, 3500990), t), 1);
    EXPECT_EQ(t.x, 99.0);

    // The status survives the way out to a window and a drawing surface.
    const uint32_t window = addWindow(map, 10, 20);
    const uint32_t surface = addSurface(CoordSurface::Kind::Window, window);
    Coord w = make(TypeWindowClient, window);
    EXPECT_EQ(convert(east, w), StatusOutsideMap);
    EXPECT_EQ(w.x, 90.0);
    EXPECT_EQ(w.y, 30.0);
    Coord d = make(TypeSurfacePoint, surface);
    EXPECT_EQ(convert(east, d), StatusOutsideMap);
    EXPECT_EQ(d.type, TypeSurfacePoint);
    EXPECT_EQ(d.zone, surface);
    EXPECT_EQ(d.x, 90.0);
}

TEST_F(TransformCoordsTest, Wgs84ToPixelGoesThroughDhdnAndGaussKrueger) {
    const uint32_t map = addMap(similarityMap(3500000, 5560000, 4000, 4000, 2.0));
    const double lon = 9.3, lat = 50.1;
    Coord t = make(TypeMapPixel | OptionNoRounding, map);
    ASSERT_EQ(convert(make(TypeGeoWgs84, 0, lon, lat), t), StatusConverted);

    const DatumShift::Geographic dhdn = DatumShift::wgs84ToDhdn(lon, lat);
    const GaussKrueger::Projected gk = GaussKrueger::forward(dhdn.longitude, dhdn.latitude, 3);
    EXPECT_NEAR(t.x, (gk.easting - 3500000) * 0.1 * 2.0, 1e-6);
    EXPECT_NEAR(t.y, (5560000 - gk.northing) * 0.1 * 2.0, 1e-6);
    EXPECT_EQ(t.type, TypeMapPixel | OptionNoRounding);
    EXPECT_EQ(t.zone, map);

    // WGS84 as a target is left to the viewer's coordinate library.
    Coord w = make(TypeGeoWgs84, 0, -1, -1);
    EXPECT_EQ(convert(make(TypeMapPixel, map, 10, 10), w), StatusConverted);
    EXPECT_EQ(w.x, -1.0);
    EXPECT_EQ(w.y, -1.0);
}

TEST_F(TransformCoordsTest, CopiesSourcesThatNeedNoConversion) {
    // Equal types with equal parameters, equal geographic types, and
    // unspecified targets of geodetic sources get the source record itself.
    Coord t = make(TypeGeoDhdn | 0x30, 99);
    EXPECT_EQ(convert(make(TypeGeoDhdn, 5, 8.0, 49.0), t), StatusConverted);
    EXPECT_EQ(t.type, TypeGeoDhdn);
    EXPECT_EQ(t.zone, 5u);
    EXPECT_EQ(t.x, 8.0);

    t = make(TypeUtm, 32);
    EXPECT_EQ(convert(make(TypeUtm, 32, 5500000, 500000), t), StatusConverted);
    EXPECT_EQ(t.x, 5500000.0);

    t = make(TypeUnspecified, 0);
    EXPECT_EQ(convert(make(TypeUtm, 32, 5500000, 500000), t), StatusConverted);
    EXPECT_EQ(t.type, TypeUtm);

    // An unspecified target of a pixel gets the map's native coordinates.
    const uint32_t map = addMap(similarityMap(3500000, 5510000, 100, 100));
    t = make(TypeUnspecified, 0);
    EXPECT_EQ(convert(make(TypeMapPixel, map, 10, 20), t), StatusConverted);
    EXPECT_EQ(t.type, TypeGaussKrueger);
    EXPECT_EQ(t.zone, 3u);
    EXPECT_NEAR(t.y, 3500100, 1e-6);
    EXPECT_NEAR(t.x, 5509800, 1e-6);

    // A record converted onto itself stays as it is.
    Coord self = make(TypeGaussKrueger, 3, 5500000, 3500000);
    EXPECT_EQ(convert(self, self), StatusConverted);
    EXPECT_EQ(self.x, 5500000.0);
}

TEST_F(TransformCoordsTest, KindZeroAndStripZeroMaps) {
    // A kind-0 box has an unnamed system: its own values come out under
    // type 0, geodetic types are not provided.
    const uint32_t plain = addMap(std::make_unique<TlmGeoreference>(0, 0, 0, 1000, 0, 500, 100, 50));
    Coord t = make(TypeUnspecified, 0);
    EXPECT_EQ(convert(make(TypeMapPixel, plain, 10, 10), t), StatusConverted);
    EXPECT_EQ(t.type, TypeUnspecified);
    EXPECT_NEAR(t.y, 100, 1e-9);
    EXPECT_NEAR(t.x, 100, 1e-9);
    Coord gk = make(TypeGaussKrueger, 0);
    EXPECT_EQ(convert(make(TypeMapPixel, plain, 10, 10), gk), StatusNotProvided);

    // A map in strip 0 (around Greenwich) keeps strip 0 for a point that is
    // nearer to strip 1, rather than taking its parameter 0 as "choose".
    const uint32_t greenwich =
        addMap(std::make_unique<TlmGeoreference>(1, 0, 500000, 700000, 5600000, 5500000, 200, 100));
    Coord px = make(TypeMapPixel | OptionNoRounding, greenwich);
    EXPECT_EQ(convert(make(TypeGeoDhdn, 0, 1.6, 50.0), px), StatusConverted);
    const GaussKrueger::Projected p = GaussKrueger::forward(1.6, 50.0, 0);
    EXPECT_NEAR(px.x, (p.easting - 500000) / 1000, 1e-9);
}

TEST_F(TransformCoordsTest, UtmTargetAndUnsupportedSources) {
    Coord t = make(TypeUtm, 0);
    EXPECT_EQ(convert(make(TypeGaussKrueger, 3, 5540399.3500, 3535843.4288), t), StatusConverted);
    EXPECT_EQ(t.zone, 32u);
    EXPECT_NEAR(t.x, 5538862.1102, 0.01); // UTM of the same DHDN position, no datum shift
    EXPECT_NEAR(t.y, 535835.1680, 0.01);

    // UTM and unspecified values are never sources of a geodetic conversion.
    Coord gk = make(TypeGaussKrueger, 0, 1, 2);
    EXPECT_EQ(convert(make(TypeUtm, 32, 5538862, 535835), gk), StatusNotProvided);
    EXPECT_EQ(convert(make(TypeUnspecified, 0, 1, 2), gk), StatusNotProvided);
    EXPECT_EQ(gk.x, 1.0);
    Coord other = make(TypeUtm, 33);
    EXPECT_EQ(convert(make(TypeUtm, 32, 5538862, 535835), other), StatusNotProvided);
    Coord unknown = make(0x1234, 0);
    EXPECT_EQ(convert(make(TypeGeoDhdn, 0, 9, 50), unknown), StatusNotProvided);
}

TEST_F(TransformCoordsTest, WindowsMapsAndSurfacesReportTheirFailures) {
    const uint32_t map = addMap(similarityMap(3500000, 5510000, 100, 100));
    const uint32_t bare = addWindow(0);
    const uint32_t gone = addWindow(map + 1000); // names a map that does not exist
    Coord t = make(TypeGaussKrueger, 3);

    EXPECT_EQ(convert(make(TypeWindowClient, 4711, 1, 1), t), StatusNotMapWindow);
    EXPECT_EQ(convert(make(TypeWindowDrawn, bare, 1, 1), t), StatusWindowWithoutMap);
    EXPECT_EQ(convert(make(TypeWindowDrawn, gone, 1, 1), t), StatusWindowWithoutMap);
    Coord w = make(TypeWindowClient, 0);
    EXPECT_EQ(convert(make(TypeGaussKrueger, 3, 5509500, 3500500), w), StatusNotMapWindow);
    EXPECT_EQ(convert(make(TypeSurfacePoint, 4711, 1, 1), t), StatusUnknownSurface);
    const uint32_t unbound = addSurface(CoordSurface::Kind::Unknown, 0);
    EXPECT_EQ(convert(make(TypeSurfacePoint, unbound, 1, 1), t), StatusUnknownSurface);
    Coord d = make(TypeSurfacePoint, unbound, 7, 7);
    EXPECT_EQ(convert(make(TypeGaussKrueger, 3, 5509500, 3500500), d), StatusUnknownSurface);
    EXPECT_EQ(d.x, 7.0);
    EXPECT_EQ(convert(make(TypeMapPixel, 4711, 1, 1), t), StatusNotProvided);

    // A raster without georeference: only pixel, window and surface types.
    const uint32_t bitmap = addMap(std::make_unique<NoGeoreference>());
    EXPECT_EQ(convert(make(TypeMapPixel, bitmap, 1, 1), t), StatusNoGeoreference);
    Coord px = make(TypeMapPixel, bitmap);
    EXPECT_EQ(convert(make(TypeGeoWgs84, 0, 9, 50), px), StatusNoGeoreference);
    const uint32_t view = addWindow(bitmap, 30, 40);
    Coord client = make(TypeWindowClient, view);
    EXPECT_EQ(convert(make(TypeMapPixel, bitmap, 35, 45), client), StatusConverted);
    EXPECT_EQ(client.x, 5.0);
    EXPECT_EQ(client.y, 5.0);
}

TEST_F(TransformCoordsTest, WindowAndSurfacePointsBecomeMapPixels) {
    const uint32_t map = addMap(similarityMap(3500000, 5510000, 1000, 1000));
    const uint32_t window = addWindow(map, 100, 200);
    Coord gk = make(TypeGaussKrueger, 3);

    // Client points add the drawn origin; points relative to it do not.
    ASSERT_EQ(convert(make(TypeWindowClient, window, 5, 6), gk), StatusConverted);
    EXPECT_NEAR(gk.y, 3500000 + 1050, 1e-6);
    EXPECT_NEAR(gk.x, 5510000 - 2060, 1e-6);
    ASSERT_EQ(convert(make(TypeWindowDrawn, window, 5, 6), gk), StatusConverted);
    EXPECT_NEAR(gk.y, 3500000 + 50, 1e-6);

    // Window surface = its client area; print surface = map pixel − offset.
    const uint32_t screen = addSurface(CoordSurface::Kind::Window, window);
    const uint32_t print = addSurface(CoordSurface::Kind::PrintJob, map, 300, 400);
    ASSERT_EQ(convert(make(TypeSurfacePoint, screen, 5, 6), gk), StatusConverted);
    EXPECT_NEAR(gk.y, 3500000 + 1050, 1e-6);
    ASSERT_EQ(convert(make(TypeSurfacePoint, print, 5, 6), gk), StatusConverted);
    EXPECT_NEAR(gk.y, 3500000 + 3050, 1e-6);
    EXPECT_NEAR(gk.x, 5510000 - 4060, 1e-6);

    Coord onPrint = make(TypeSurfacePoint, print);
    ASSERT_EQ(convert(make(TypeWindowClient, window, 5, 6), onPrint), StatusConverted);
    EXPECT_EQ(onPrint.x, 105.0 - 300.0);
    EXPECT_EQ(onPrint.y, 206.0 - 400.0);

    // Option bits ride along to the pixel step: no clamping at the edge.
    Coord far = make(TypeGaussKrueger, 3);
    ASSERT_EQ(convert(make(TypeWindowDrawn | OptionNoClamping, window, 1500, 6), far), StatusConverted);
    EXPECT_NEAR(far.y, 3500000 + 15000, 1e-6);
    ASSERT_EQ(convert(make(TypeWindowDrawn, window, 1500, 6), far), StatusConverted);
    EXPECT_NEAR(far.y, 3500000 + 10000, 1e-6);
}

// Hook doubles: plain functions, as a host would install them.
struct HookLog {
    int conversions = 0;
    int goodbyes = 0;
    uint32_t goodbyeParameter = 0;
    bool goodbyeSamePointer = false;
};
HookLog g_first, g_second;
const CoordResolver* g_resolver = nullptr;

int32_t firstHook(Coord* source, Coord* target, int32_t flag) {
    if (flag == HookGoodbye) {
        ++g_first.goodbyes;
        g_first.goodbyeParameter = source->zone;
        g_first.goodbyeSamePointer = source == target;
        return 0;
    }
    ++g_first.conversions;
    target->x = source->x * 1000;
    target->y = source->y * 1000;
    return StatusOutsideMap;
}

int32_t secondHook(Coord* source, Coord* target, int32_t flag) {
    if (flag == HookGoodbye) {
        ++g_second.goodbyes;
        g_second.goodbyeParameter = source->zone;
        return 0;
    }
    ++g_second.conversions;
    // Asks the library again for the very same conversion.
    return transformCoordsEx(*g_resolver, *source, *target);
}

TEST_F(TransformCoordsTest, ExternalHookDecidesAndIsToldGoodbye) {
    g_first = {};
    g_second = {};
    g_resolver = &resolver;
    const uint32_t id = addMap(similarityMap(3500000, 5510000, 100, 100));
    TestMap* map = maps.find(id);

    map->hooks.attach(id, &firstHook);
    EXPECT_EQ(map->externalCoordHook(), &firstHook);
    Coord t = make(TypeGaussKrueger, 3);
    EXPECT_EQ(convert(make(TypeMapPixel, id, 2, 3), t), StatusOutsideMap);
    EXPECT_EQ(t.x, 2000.0);
    Coord p = make(TypeMapPixel, id);
    EXPECT_EQ(convert(make(TypeGeoWgs84, 0, 4, 5), p), StatusOutsideMap);
    EXPECT_EQ(p.y, 5000.0);
    EXPECT_EQ(g_first.conversions, 2);
    EXPECT_EQ(g_first.goodbyes, 0);

    map->hooks.attach(id, &firstHook); // the same hook again: nothing to say
    EXPECT_EQ(g_first.goodbyes, 0);

    map->hooks.attach(id, &secondHook);
    EXPECT_EQ(g_first.goodbyes, 1);
    EXPECT_EQ(g_first.goodbyeParameter, id);
    EXPECT_TRUE(g_first.goodbyeSamePointer);

    // A hook that only calls back into the conversion ends with a status.
    EXPECT_EQ(convert(make(TypeMapPixel, id, 2, 3), t), StatusNotProvided);
    EXPECT_GT(g_second.conversions, 1);

    map->hooks.release(id); // the handle is closed
    EXPECT_EQ(g_second.goodbyes, 1);
    EXPECT_EQ(g_second.goodbyeParameter, id);
    EXPECT_EQ(map->externalCoordHook(), nullptr);
    map->hooks.release(id);
    EXPECT_EQ(g_second.goodbyes, 1);

    // Without the hook the map's own georeference is back.
    EXPECT_EQ(convert(make(TypeMapPixel, id, 2, 3), t), StatusConverted);
    EXPECT_NEAR(t.y, 3500020, 1e-6);
}

} // namespace
