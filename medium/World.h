#pragma once

#include <QPointF>
#include <QPolygonF>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class Noise;

// An axis-parallel box in Gauss-Krüger metres of the world's strip: eastings
// e0..e1 (with the strip's millions), northings n0..n1.
struct GkBox {
    double e0 = 0, n0 = 0, e1 = 0, n1 = 0;
    double width() const { return e1 - e0; }
    double height() const { return n1 - n0; }
    bool contains(double e, double n) const { return e >= e0 && e <= e1 && n >= n0 && n <= n1; }
    bool contains(const QPointF& p) const { return contains(p.x(), p.y()); }
};

enum class MediumSize { Small, Medium, Large };

// What a world is made from. The world lives in Gauss-Krüger strip 3 (the
// strip of the regional map); positions are QPointF(easting, northing).
struct WorldSpec {
    uint32_t seed = 1;
    MediumSize size = MediumSize::Small;
    int cdNumber = 1;
    int regionPixels = 4000;      // side of the regional map in pixels
    double regionPixelSize = 2.5; // metres per pixel of the regional map
    GkBox region;                 // the CD's region, covered by the regional map
    GkBox state;                  // the fictional state, covered by the overviews
    double cell = 100.0;          // terrain grid spacing in metres
    static constexpr int zone = 3;

    static WorldSpec make(uint32_t seed, MediumSize size);
};

enum class Cover : uint8_t { Open, Forest, Settlement, Water, Outside };

struct River {
    std::vector<QPointF> points; // from source to mouth
    std::vector<float> flow;     // catchment in km² at each point
    QString name;
    double length = 0;
};

struct Lake {
    QPointF centre;
    double level = 0; // water surface in metres
    double area = 0;  // km²
    QString name;
};

struct Settlement {
    QString name;
    QPointF pos;
    double radius = 200; // metres of the built-up area
    int rank = 2;        // 0 city, 1 town, 2 village, 3 hamlet
    int municipality = -1;
    double height = 0;
    uint32_t shapeSeed = 0;
};

struct Municipality {
    QString name;
    int association = -1;
    int main = -1; // settlement holding the administration
    std::vector<int> parts;
};

struct Association {
    QString name;
    int district = -1;
};

struct District {
    QString name;
};

enum class RoadClass : uint8_t { Federal = 0, State = 1, District = 2, Local = 3 };

struct Road {
    std::vector<QPointF> points;
    RoadClass cls = RoadClass::District;
};

struct Peak {
    QPointF pos;
    double height = 0;
    QString name;
};

struct Poi {
    int category = 1; // 1 sights, 2 youth hostels, 3 museums, 4 castles, 5 huts, 6 camping
    QString name, street, plzOrt, vorwahl, telefon, fax, email;
    QPointF pos;
    int settlement = -1;
    QString description;
};

struct Station {
    QPointF pos;
    int settlement = -1;
};

// The fictional region: terrain, water, land cover, places, traffic,
// administrative units and points of interest, all made deterministically
// from WorldSpec::seed.
class World {
public:
    explicit World(const WorldSpec& spec);
    ~World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    const WorldSpec& spec() const { return m_spec; }

    // Terrain height in metres (ground; under a lake the lake floor).
    double ground(double e, double n) const;
    // Height of the surface in metres: the water level on a lake, else ground.
    double surface(double e, double n) const;
    bool isLake(double e, double n) const;
    bool insideState(double e, double n) const;
    // Land cover at a point (water: lakes only; rivers are lines).
    Cover cover(double e, double n) const;
    // Forest test without the settlement/water exclusions.
    bool forestAt(double e, double n) const { return forestValue(e, n) > 0; }
    // Smooth fields whose sign decides the land cover; they can be sampled
    // coarsely and interpolated, which gives smooth outlines cheaply.
    double forestValue(double e, double n) const;     // > 0 forest
    double borderValue(double e, double n) const;     // > 0 inside the state
    double settlementValue(double e, double n) const; // > 0 built-up area
    double lakeValue(double e, double n) const;       // > 0 lake (metres of depth)
    // Distance to the nearest river in metres (coarse, capped at 3 km).
    double riverDistance(double e, double n) const;
    // Index of the settlement whose built-up area holds the point, or -1.
    int settlementAt(double e, double n) const;
    // Municipality whose territory holds the point, or -1 outside the state.
    int municipalityAt(double e, double n) const;

    std::vector<River> rivers;
    std::vector<Lake> lakes;
    std::vector<Settlement> settlements;
    std::vector<Municipality> municipalities;
    std::vector<Association> associations;
    std::vector<District> districts;
    std::vector<Road> roads;
    std::vector<std::vector<QPointF>> railways;
    std::vector<Station> stations;
    std::vector<QPolygonF> buildings; // inside the region only
    std::vector<Peak> peaks;
    std::vector<Poi> pois; // inside the region only

private:
    struct Grid;
    void buildTerrain();
    void buildHydrology();
    void placeSettlements();
    void buildRoads();
    void buildRailway();
    void buildAdministration();
    void buildBuildings();
    void placePeaks();
    void placePois();

    double gridHeight(double e, double n) const;
    double gridSlope(double e, double n) const;
    double exactSlope(double e, double n) const;
    std::vector<QPointF> routeOnGrid(QPointF from, QPointF to, double slopeWeight, bool avoidWater) const;

    WorldSpec m_spec;
    std::unique_ptr<Grid> m_grid;
    std::unique_ptr<Noise> m_detail, m_forest, m_border, m_warp;
    // Settlements sorted into 2 km buckets for the point tests.
    std::vector<std::vector<int>> m_buckets;
    int m_bucketsX = 0, m_bucketsY = 0;
    static constexpr double BucketSize = 2000.0;
};
