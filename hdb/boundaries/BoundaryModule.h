#pragma once

#include "VectorLinePainter.h"

#include <QString>

#include <vector>

class QObject;

// The boundary lines of the data medium and the menu entries choosing their levels.
namespace BoundaryModule {

// The code word the medium's HDB files are scrambled with.
inline constexpr const char* CodeWord = "Kennmark";

// The painter made at start-up; none before.
VectorLinePainter* Painter();

// A painter over dataDirectory + "GRENZ1.HDB" .. "GRENZ3.HDB", attached to the
// map window module (owned by the caller).
VectorLinePainter* Create(const QString& dataDirectory);

// "&keine", "K&reisgrenzen", "&VG-Grenzen", "&Gemeindegrenzen" under
// "&Anzeige|&Grenzen", for 0 .. 3 levels, in that order (not yet registered).
std::vector<VectorLinePainterAction*> CreateActions(VectorLinePainter* painter, QObject* parent);

} // namespace BoundaryModule
