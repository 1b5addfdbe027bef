#include "PaletteGroup.h"

#include "MapHandle.h"

#include <algorithm>

void PaletteGroup::add(MapHandle* member) {
    if (std::find(m_members.begin(), m_members.end(), member) == m_members.end())
        m_members.push_back(member);
    rebuild();
}

void PaletteGroup::remove(MapHandle* member) {
    m_members.erase(std::remove(m_members.begin(), m_members.end(), member), m_members.end());
    rebuild();
}

void PaletteGroup::rebuild() {
    m_entries.clear();
    std::size_t longest = 0;
    for (const MapHandle* m : m_members)
        longest = std::max(longest, m->drawingPalette().size());
    for (std::size_t j = 0; j < longest; ++j) {
        for (const MapHandle* m : m_members) {
            const std::vector<RgbQuad>& palette = m->drawingPalette();
            if (j < palette.size()) {
                RgbQuad e = palette[j];
                e.reserved = 0;
                m_entries.push_back(e);
            }
        }
    }
}

int PaletteGroup::realize() {
    int changed = 0;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (i >= m_realized.size() || !(m_realized[i] == m_entries[i]))
            ++changed;
    }
    m_realized = m_entries;
    return changed;
}
