#include "DhmModel.h"

#include <QDir>
#include <QFile>

#include <cmath>

namespace Modul {

namespace {
DHM* g_instance = nullptr;
}

DHM::~DHM() {
    close();
    if (g_instance == this)
        g_instance = nullptr;
}

DHM* DHM::instance() {
    return g_instance;
}

void DHM::setInstance(DHM* dhm) {
    g_instance = dhm;
}

int DHM::open(const QString& dataDirectory) {
    close();
    const QDir dir(dataDirectory);
    TLM_HANDLE models[2] = {0, 0};
    for (int i = 0; i < 2; ++i) {
        const QString path = dir.filePath(QStringLiteral("dgm%1.tlm").arg(i + 2));
        if (QFile::exists(path))
            models[i] = TLM_Open(QFile::encodeName(path).constData());
    }
    if (models[0] != 0 && models[1] != 0) {
        setSlot(2, models[0], 2);
        setSlot(3, models[1], 3);
        return 2;
    }
    for (int i = 0; i < 2; ++i)
        if (models[i] != 0) {
            setSlot(0, models[i], i + 2);
            return 1;
        }
    return 0;
}

void DHM::setSlot(int slot, TLM_HANDLE model, int zone) {
    if (slot < 0 || slot >= SlotCount)
        return;
    if (m_models[std::size_t(slot)] != 0 && m_models[std::size_t(slot)] != model)
        TLM_Close(m_models[std::size_t(slot)]);
    m_models[std::size_t(slot)] = model;
    m_zones[std::size_t(slot)] = zone;
}

void DHM::close() {
    for (TLM_HANDLE& model : m_models) {
        if (model != 0)
            TLM_Close(model);
        model = 0;
    }
    m_zones.fill(0);
}

TLM_HANDLE DHM::model(int slot) const {
    return slot >= 0 && slot < SlotCount ? m_models[std::size_t(slot)] : 0;
}

int DHM::slotZone(int slot) const {
    return slot >= 0 && slot < SlotCount ? m_zones[std::size_t(slot)] : 0;
}

int DHM::slotFor(int zone) const {
    if (model(zone) != 0)
        return zone;
    if (model(0) != 0)
        return 0;
    for (int k = 1; k <= 8; ++k) {
        if (model(zone - k) != 0)
            return zone - k;
        if (model(zone + k) != 0)
            return zone + k;
    }
    return -1;
}

int DHM::zoneOfEasting(double easting) {
    if (!std::isfinite(easting) || std::abs(easting) > 1.0e9)
        return -1;
    return int(std::floor(easting * 0.000001));
}

int DHM::pixel(TLM_HANDLE model, const Coord& position) const {
    uint8_t bytes[8] = {};
    Coord p = position;
    if (TLM_GetDataBytes(model, &p, bytes, 0) != 1)
        return 0;
    return int(bytes[0]) | (int(bytes[1]) << 8);
}

int DHM::height(const Coord& position, bool bilinear) const {
    const bool gaussKrueger = (position.type & ~0xF0u) == 1;
    int slot = -1;
    if (gaussKrueger)
        slot = slotFor(zoneOfEasting(position.y));
    else
        slot = model(0) != 0 ? 0 : slotFor(0);
    if (slot < 0)
        return 0;
    const TLM_HANDLE dem = model(slot);
    const int zone = slotZone(slot);
    Coord p = position;
    if (gaussKrueger && zoneOfEasting(position.y) != zone) {
        Coord to{};
        to.type = 1;
        to.zone = uint32_t(zone);
        if (TLM_TransformCoords(&p, &to) == 0)
            return 0;
        p = to;
    }
    p.type = 1;
    p.zone = uint32_t(zone);
    if (!std::isfinite(p.x) || !std::isfinite(p.y))
        return 0;
    if (!bilinear)
        return pixel(dem, p);

    // The cell of the 40 m grid: its south-west node, and the east,
    // north-east and north neighbours, weighted by the position's place in
    // the cell in 1/256 steps.
    const double n0 = std::floor(p.x * 0.025) * GridSpacing;
    const double e0 = std::floor(p.y * 0.025) * GridSpacing;
    const int fN = int((p.x - n0) / GridSpacing * 256.0);
    const int fE = int((p.y - e0) / GridSpacing * 256.0);
    struct Node {
        double dn, de;
        int weight;
    };
    const Node nodes[4] = {{0, 0, (256 - fE) * (256 - fN)},
                           {0, GridSpacing, fE * (256 - fN)},
                           {GridSpacing, GridSpacing, fE * fN},
                           {GridSpacing, 0, (256 - fE) * fN}};
    long long sum = 0, weights = 0;
    for (const Node& node : nodes) {
        Coord q = p;
        q.x = n0 + node.dn;
        q.y = e0 + node.de;
        const int h = pixel(dem, q);
        if (h == 0)
            continue;
        sum += (long long)node.weight * h;
        weights += node.weight;
    }
    if (weights == 0)
        return 0;
    return int(sum / weights);
}

} // namespace Modul
