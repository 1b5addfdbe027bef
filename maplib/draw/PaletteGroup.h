#pragma once

#include "MapTypes.h"

#include <memory>
#include <vector>

class MapHandle;

// Map handles that draw side by side on one screen share one logical palette,
// merged from the drawing palettes of all members: entry j of the first
// member, entry j of the second, and so on, for j from 0 upward, taking only
// members that have an entry j.
//
// True-colour displays need no palette realization; the group still keeps
// the merged entries and what was realized last, so that a host learns, as on
// a palette device, whether a realization changed any entry.
class PaletteGroup : public std::enable_shared_from_this<PaletteGroup> {
public:
    PaletteGroup() = default;
    PaletteGroup(const PaletteGroup&) = delete;
    PaletteGroup& operator=(const PaletteGroup&) = delete;

    // Membership is kept by the handles (MapHandle::joinGroup); both rebuild
    // the merged palette.
    void add(MapHandle* member);
    void remove(MapHandle* member);
    // Builds the merged entries from the members' drawing palettes again.
    void rebuild();

    const std::vector<MapHandle*>& members() const { return m_members; }
    // The merged entries (flags byte 0); empty: no palette.
    const std::vector<RgbQuad>& entries() const { return m_entries; }
    bool hasPalette() const { return !m_entries.empty(); }

    // Realizes the palette: the number of entries that differ from the last
    // realization (all of them the first time).
    int realize();

private:
    std::vector<MapHandle*> m_members;
    std::vector<RgbQuad> m_entries;
    std::vector<RgbQuad> m_realized;
};
