#pragma once

#include "Coord.h"
#include "MapSequenceInfo.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TMapSelectAction;

// The maps the user can switch between, numbered from 1 in the order they
// were added, from the overviews down to the detailed map. Switching keeps
// the remembered position of the map window module.
namespace Modul::Kartenfolge {

// A name starting with "/" or "\" or with a drive letter and colon is used
// unchanged; any other name lives in the map folder of the medium.
QString ResolvedPath(const Info& entry);

// The overview beside the main map learns which overview map goes with the
// shown map and the colour of its view frame.
using OverviewHandler = std::function<void(const QString& overviewMapFile, std::int32_t frameColour)>;
void SetOverviewHandler(OverviewHandler handler);
// Hands the entry's overview map and frame colour to the overview, if any.
void NotifyOverview(const Info& entry);

// The sequence of the map window module; the operations below do nothing
// (or answer 0, false) while that module does not exist.
class Sequence {
public:
    Sequence();
    ~Sequence();

    void AddEntry(const Info& entry);
    // Registers the select actions in order and shows map n (the first when
    // n is out of range) without bringing the page to the front.
    void Start(int n);
    int Count() const { return static_cast<int>(m_actions.size()); }
    // The first map whose path the window shows, 0 when none.
    int CurrentMapNumber() const;
    void SelectMap(int n);
    // Entry n (1-based), none out of range.
    const Info* Entry(int n) const;
    TMapSelectAction* Action(int n) const;

    // True when the place lies on the current map, or, after the user agreed,
    // on one of the maps before it, which is then shown.
    bool ShowPlaceOnSomeMap(const Coord& position, const QString& caption, const QString& name,
                            const QString& nameInSentence);

private:
    std::vector<std::unique_ptr<TMapSelectAction>> m_actions;
};

// The sequence of the map window module; none without it.
Sequence* Instance();

void AddEntry(const Info& entry);
void Start(int n);
int Count();
int CurrentMapNumber();
void SelectMap(int n);
bool ShowPlaceOnSomeMap(const Coord& position, const QString& caption, const QString& name,
                        const QString& nameInSentence);

} // namespace Modul::Kartenfolge
