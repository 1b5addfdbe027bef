#pragma once

#include "Coord.h"
#include "velmar32.h"

#include <QString>

#include <array>

// The elevation models and the height at a position.
//
// The models are map files of 16-bit pixels holding heights in decimetres
// (0 = no height) on a 40 m grid, one per Gauss-Krüger strip. They sit in a
// table of ten slots indexed by strip; slot 0 takes a single model that then
// serves every strip.
namespace Modul {

class DHM {
public:
    static constexpr int SlotCount = 10;
    static constexpr double GridSpacing = 40.0;

    DHM() = default;
    ~DHM();
    DHM(const DHM&) = delete;
    DHM& operator=(const DHM&) = delete;

    // The instance the start-up created; none before.
    static DHM* instance();
    static void setInstance(DHM* dhm);

    // Opens "dgm2.tlm" and "dgm3.tlm" in the directory: both open, they go
    // to slots 2 and 3; only one, it goes to slot 0. Returns the number of
    // models opened. Models opened before are closed first.
    int open(const QString& dataDirectory);
    // Puts a model (owned from now on) into a slot; `zone` is its strip.
    void setSlot(int slot, TLM_HANDLE model, int zone);
    void close();

    TLM_HANDLE model(int slot) const;
    // The strip the model of the slot is georeferenced in.
    int slotZone(int slot) const;
    // The slot whose model serves the strip: its own, else slot 0, else the
    // nearest filled slot (zone - k before zone + k); -1 when none.
    int slotFor(int zone) const;

    // Height in decimetres at a library Gauss-Krüger position (type 1; any
    // other type is taken as a position in the strip of the model found);
    // 0 when there is none. `bilinear`: interpolated from the four grid
    // nodes around the position, else the nearest pixel.
    int height(const Coord& position, bool bilinear) const;

    // The strip of a library Gauss-Krüger easting.
    static int zoneOfEasting(double easting);

private:
    int pixel(TLM_HANDLE model, const Coord& position) const;

    std::array<TLM_HANDLE, SlotCount> m_models{};
    std::array<int, SlotCount> m_zones{};
};

} // namespace Modul
