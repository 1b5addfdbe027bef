#include "Registry.h"

#include "Ellipsoid.h"
#include "GaussKrueger.h"
#include "GaussLux.h"
#include "LambertBE.h"
#include "LambertFR.h"
#include "RefSysTransform.h"
#include "Schweiz.h"
#include "UTM.h"

#include <cmath>

namespace Transid {

namespace {

struct DatumRow {
    uint32_t from;
    uint32_t to;
    RefSysTransform::Parameters p; // tx ty tz (m), rx ry rz (rad), cx cy cz (m), k
};

// Each direction has its own row; the way back is never derived by inverting
// the way there.
const DatumRow DatumRows[] = {
    {2,
     0,
     {633.518020008, 22.4125399977, 449.159700004, 3.33592638641e-06, 4.57064046862e-07, -9.03144272199e-06,
      4129764.367, 504376.691, 4817718.016, 1.00001311374}},
    {0,
     2,
     {-633.518020003, -22.4125399931, -449.159699993, -3.33585076591e-06, -4.57013928396e-07, 9.03119706111e-06,
      4130397.885, 504399.103, 4818167.175, 0.999986886375}},
    {2,
     1,
     {715.822470589, 117.662823533, 563.977882354, -5.93807286081e-06, 3.09233924271e-06, -2.36869935847e-07,
      4132807.321, 523895.121, 4812037.806, 1.00001196284}},
    {1,
     2,
     {-715.822470584, -117.662823536, -563.977882355, 5.93792207315e-06, -3.09229623747e-06, 2.36884929797e-07,
      4133523.143, 524012.784, 4812601.784, 0.999988037271}},
    {1,
     0,
     {-83.6813384753, -95.174123072, -116.646476929, 1.84655212759e-05, 2.70075757361e-05, -1.84474590029e-05,
      4129120.238, 503260.237, 4819567.487, 0.999999342547}},
    {0,
     1,
     {83.6813384597, 95.1741230687, 116.64647691, -1.84655991907e-05, -2.70075971614e-05, 1.84473734078e-05,
      4129036.556, 503165.063, 4819450.841, 1.00000065697}},
    {2,
     3,
     {661.07733715, 72.278041843, 543.829159835, 6.62422153945e-06, 3.92445583201e-05, -2.41944220146e-05, 0, 0, 0,
      1.00000865191}},
    {3,
     2,
     {-661.056007902, -72.3026086949, -543.852565661, -6.6241215128e-06, -3.92434586301e-05, 2.41945195283e-05, 0, 0, 0,
      0.999991347266}},
    {2,
     4,
     {574.281480513, 71.0527016143, 44.1991570783, -2.36303731213e-06, 1.75455515888e-05, -3.99523228082e-06, 0, 0, 0,
      1.00003186453}},
    {4,
     2,
     {-574.263484112, -71.0533971199, -44.2088818456, 2.36290307793e-06, -1.75443589165e-05, 3.99506495264e-06, 0, 0, 0,
      0.99996813642}},
    {5, 0, {-99.059, 53.322, -112.486, 2.03136932385e-06, -4.02395355321e-06, 9.13873788891e-06, 0, 0, 0, 0.999999}},
    {0, 5, {99.059, -53.322, 112.486, -2.03136932385e-06, 4.02395355321e-06, -9.13873788891e-06, 0, 0, 0, 1.000001}},
    {0, 6, {-674.374, -15.056, -405.346, 0, 0, 0, 0, 0, 0, 1}},
    {6, 0, {674.374, 15.056, 405.346, 0, 0, 0, 0, 0, 0, 1}},
};

unsigned short datumKey(uint32_t from, uint32_t to) {
    return static_cast<unsigned short>(from * 256 + to);
}

} // namespace

void Registry::clear() {
    m_changers.clear();
    m_transforms.clear();
    m_ellipsoidIndex.fill(nullptr);
    m_projectionIndex.fill(nullptr);
}

void Registry::build() {
    clear();
    m_changers[Code::Bessel1841] = std::make_unique<Ellipsoid>(6377397.15508, 6356078.9629);
    m_changers[Code::GRS80] = std::make_unique<Ellipsoid>(6378137.0, SquaredEccentricity{0.0066943800229});
    m_changers[Code::International1924] = std::make_unique<Flattening>(6378388.0, 1.0 / 297.0);
    m_changers[Code::Krassowsky1940] = std::make_unique<Flattening>(6378245.0, 0.003352329869259135);
    m_changers[Code::Clarke1880IGN] = std::make_unique<Ellipsoid>(6378249.2, 6356515.0);

    m_changers[Code::GaussKrueger] = std::make_unique<GaussKrueger>(*this);
    m_changers[Code::UTM] = std::make_unique<UTM>(*this);
    m_changers[Code::GaussLux] = std::make_unique<GaussLux>(*this);
    m_changers[Code::LambertFR] = std::make_unique<LambertFR>(*this);
    m_changers[Code::Schweiz] = std::make_unique<Schweiz>(*this);
    m_changers[Code::LambertBE] = std::make_unique<LambertBE>(*this);

    for (const DatumRow& row : DatumRows)
        m_transforms[datumKey(row.from, row.to)] = std::make_unique<RefSysTransform>(row.p);

    for (const auto& [key, changer] : m_changers) {
        if (const Ellipsoid* e = changer->asEllipsoid(); e && Code::ellipsoid(key) == key)
            m_ellipsoidIndex[key >> 12] = e;
        else if (!e && Code::projection(key) == key)
            m_projectionIndex[key >> 4] = changer.get();
    }
}

const RevCoordChanger* Registry::changer(unsigned long key) const {
    const auto it = m_changers.find(key);
    return it == m_changers.end() ? nullptr : it->second.get();
}

const CoordChanger* Registry::transformation(uint32_t fromDatum, uint32_t toDatum) const {
    if (fromDatum > 255 || toDatum > 255)
        return nullptr;
    const auto it = m_transforms.find(datumKey(fromDatum, toDatum));
    return it == m_transforms.end() ? nullptr : it->second.get();
}

const Ellipsoid* Registry::ellipsoidOf(uint32_t code) const {
    return m_ellipsoidIndex[Code::ellipsoid(code) >> 12];
}

const RevCoordChanger* Registry::projectionOf(uint32_t code) const {
    return m_projectionIndex[Code::projection(code) >> 4];
}

bool Registry::knows(uint32_t code) const {
    if (code & Code::UnusedMask)
        return false;
    const uint32_t height = Code::heightKind(code);
    if (Code::ellipsoid(code) == 0) {
        // Geocentric: a height kind means nothing there. This also keeps the
        // map library's small type codes (1, 2, 3, ...) from passing as
        // registry codes.
        return Code::projection(code) == 0 && height == 0;
    }
    if (height > 1 || !ellipsoidOf(code))
        return false;
    return Code::projection(code) == 0 || projectionOf(code);
}

bool Registry::convert(const Coord& source, Coord& target) const {
    using namespace Code;
    if (!knows(source.type) || !knows(target.type))
        return false;

    Coord w = source;
    uint32_t targetZone = target.zone;
    const RevCoordChanger* sourceProjection = projectionOf(source.type);
    const RevCoordChanger* targetProjection = projectionOf(target.type);
    if (!sourceProjection || !sourceProjection->hasZones())
        w.zone = 0;
    if (!targetProjection || !targetProjection->hasZones())
        targetZone = 0;

    if (heightKind(source.type) == 1)
        w.z += source.separation;

    if (((w.type ^ target.type) & ~HeightKindMask) != 0 || w.zone != targetZone) {
        // W stands on the ellipsoid of the source code; take off its projection.
        if (sourceProjection) {
            if (!sourceProjection->revert(w))
                return false;
            w.type &= ~ProjectionMask;
        }
        const uint32_t frame = DatumMask | EllipsoidMask;
        if ((w.type & frame) != (target.type & frame)) {
            if (ellipsoid(w.type) != 0) {
                const Ellipsoid* e = ellipsoidOf(w.type);
                if (!e || !e->revert(w))
                    return false;
                w.type &= ~EllipsoidMask;
            }
            if (datum(w.type) != datum(target.type)) {
                const CoordChanger* t = transformation(datum(w.type), datum(target.type));
                if (!t || !t->change(w))
                    return false;
                w.type = (w.type & ~DatumMask) | (target.type & DatumMask);
            }
            if (ellipsoid(target.type) != 0) {
                const Ellipsoid* e = ellipsoidOf(target.type);
                if (!e || !e->apply(w))
                    return false;
            }
        }
        w.type = (w.type & ~EllipsoidMask) | ellipsoid(target.type);
        w.zone = targetZone;
        if (targetProjection) {
            if (!targetProjection->apply(w))
                return false;
            w.type |= projection(target.type);
        }
    }

    if (heightKind(target.type) == 1)
        w.z -= target.separation;
    if (!std::isfinite(w.x) || !std::isfinite(w.y) || !std::isfinite(w.z))
        return false; // e.g. an infinite separation

    target.zone = w.zone;
    target.x = w.x;
    target.y = w.y;
    target.z = w.z;
    return true;
}

Registry& registry() {
    static Registry instance;
    return instance;
}

void BuildRegistry() {
    registry().build();
}

bool Convert(const Coord& source, Coord& target) {
    return registry().convert(source, target);
}

} // namespace Transid
