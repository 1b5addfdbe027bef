// The boundary lines: district, association and municipal boundaries drawn
// over the map from "GRENZ1.HDB" .. "GRENZ3.HDB" of the data folder, and the
// four entries under "&Anzeige|&Grenzen" choosing how many levels show.
#include "BoundaryModule.h"

#include "MainWindow.h"
#include "Paths.h"
#include "StartupSequence.h"

namespace BoundaryModule {

namespace {

VectorLinePainter*& painterInstance() {
    static VectorLinePainter* painter = nullptr;
    return painter;
}

} // namespace

VectorLinePainter* Painter() {
    return painterInstance();
}

VectorLinePainter* Create(const QString& dataDirectory) {
    // District boundaries widest, municipal ones narrowest, all in magenta.
    const QColor magenta(0xFF, 0x00, 0xFF);
    std::vector<QPen> pens;
    for (int width : {4, 3, 2})
        pens.emplace_back(magenta, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    // A segment of the files spans at most this much in northing.
    constexpr double Margin = 1400.0;
    auto* painter = new VectorLinePainter(dataDirectory + QStringLiteral("GRENZ"), 3, pens, Margin, CodeWord);
    painter->Attach();
    return painter;
}

std::vector<VectorLinePainterAction*> CreateActions(VectorLinePainter* painter, QObject* parent) {
    struct Entry {
        const char* menuPath;
        int levels;
    };
    static const Entry entries[] = {{"&Anzeige|&Grenzen|&keine", 0},
                                    {"&Anzeige|&Grenzen|K&reisgrenzen", 1},
                                    {"&Anzeige|&Grenzen|&VG-Grenzen", 2},
                                    {"&Anzeige|&Grenzen|&Gemeindegrenzen", 3}};
    std::vector<VectorLinePainterAction*> actions;
    for (const Entry& entry : entries) {
        auto* action = new VectorLinePainterAction(painter, entry.levels, parent);
        action->setMenuPath(QString::fromUtf8(entry.menuPath));
        action->update();
        actions.push_back(action);
    }
    return actions;
}

namespace {

// Lives until the process ends, as every module does.
const Startup::Registration step(Startup::BoundaryLines, "boundary lines", [](Startup::Context& context) {
    VectorLinePainter* painter = Create(Singletons::Paths::instance().dataDirectory());
    painterInstance() = painter;
    for (VectorLinePainterAction* action : CreateActions(painter, &context.mainWindow))
        registerAction(action);
});

} // namespace

} // namespace BoundaryModule
