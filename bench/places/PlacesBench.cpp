// Typing in the search field of the page "Gemeinden" over a table of one
// million places. Each step is one keystroke: the grown text is set, the
// table searched for the first place not smaller than it (FindNearest), the
// grid's current row moved and scrolled there, and the grid's viewport
// painted at once, as the next frame would. The keystrokes type random
// names of the table letter by letter, each name from its first letter on.
//
//   keystroke       — search and grid update together
//   findNearest     — the table search alone, for comparison
//
// The table is written once with the project's HDB writer and kept in /tmp.
#include "OrteTabCard.h"
#include "PlaceSearchKey.h"
#include "THDBDataSet.h"

#include <HDBFormat.h>
#include <HDBWriter.h>

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTableView>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

constexpr int PlaceCount = 1000000;

QString dataRoot() {
    return QStringLiteral("/tmp/vistrel-bench-places-%1-v1").arg(::getuid());
}

std::string placeName(std::mt19937& rng) {
    static const char* const syllables[] = {"BACH",  "BERG", "BURG",   "DORF",  "FELD", "HAUS",    "HEIM", "HOF",
                                            "KIRCH", "LIND", "MAIN",   "MARK",  "MOOS", "M\xDCHL", "NEU",  "OBER",
                                            "RHEIN", "ROD",  "SCHWAR", "STEIN", "TAL",  "UNTER",   "WALD", "WEIL",
                                            "WIES",  "WOLF", "ZELL",   "ALT",   "EICH", "FRIED",   "GRUB", "HAGEN"};
    const int n = 2 + int(rng() % 3);
    std::string name;
    for (int i = 0; i < n; ++i)
        name += syllables[rng() % 32];
    name += ' ';
    name += char('A' + rng() % 26);
    name += char('A' + rng() % 26);
    return name.substr(0, 40);
}

std::vector<std::string>& names() {
    static std::vector<std::string> all;
    return all;
}

// Writes DATEN/WOPLA1.HDB and WOPLA2.HDB below the data root once.
void ensureTables() {
    std::mt19937 rng(4711);
    std::vector<std::string>& all = names();
    all.reserve(PlaceCount);
    for (int i = 0; i < PlaceCount; ++i)
        all.push_back(placeName(rng));
    const QString daten = dataRoot() + QStringLiteral("/DATEN/");
    if (QFileInfo::exists(daten + QStringLiteral("WOPLA2.HDB")))
        return;
    QDir().mkpath(daten);
    for (const bool partFirst : {false, true}) {
        const HDBFieldDef ort{"ORT", HDBFormat::TypeText, 40, 0};
        const HDBFieldDef teil{"ORTS_TEIL", HDBFormat::TypeText, 40, 0};
        std::vector<HDBFieldDef> fields =
            partFirst ? std::vector<HDBFieldDef>{teil, ort} : std::vector<HDBFieldDef>{ort, teil};
        fields.push_back({"RELATION", HDBFormat::TypeNumber, 7, 0});
        fields.push_back({"R_WERT", HDBFormat::TypeNumber, 10, 1});
        fields.push_back({"H_WERT", HDBFormat::TypeNumber, 10, 1});
        HDBWriter w(fields, "Kennmark");
        for (int i = 0; i < PlaceCount; ++i) {
            const std::string& name = all[std::size_t(i)];
            const std::string part = name.substr(0, 12) + " " + std::to_string(i % 97);
            w.addRecord({partFirst ? part : name, partFirst ? name : part, std::int64_t(i % PlaceCount + 1),
                         3450000.0 + i % 100000, 5500000.0 + i % 90000});
        }
        const QString file = daten + (partFirst ? QStringLiteral("WOPLA2.HDB") : QStringLiteral("WOPLA1.HDB"));
        if (!w.write(file.toStdString()))
            throw std::runtime_error(w.errorString());
    }
}

struct Page {
    Page() {
        static int argc = 1;
        static char arg0[] = "bench_places";
        static char* argv[] = {arg0, nullptr};
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
        app = std::make_unique<QApplication>(argc, argv);
        ensureTables();
        card = std::make_unique<TOrteTabCard>(nullptr, dataRoot(), nullptr);
        card->resize(300, 700);
        card->show();
        QApplication::processEvents();
    }
    std::unique_ptr<QApplication> app;
    std::unique_ptr<TOrteTabCard> card;
};

Page& page() {
    static Page p;
    return p;
}

// The keystrokes: random names of the table, typed letter by letter.
std::vector<QString> keystrokes() {
    std::mt19937 rng(99);
    std::vector<QString> texts;
    const std::vector<std::string>& all = names();
    while (texts.size() < 4096) {
        const std::string& name = all[rng() % all.size()];
        const QString typed = QString::fromLatin1(name.c_str()).toLower();
        for (int n = 1; n <= std::min<int>(8, int(typed.size())); ++n)
            texts.push_back(typed.left(n));
    }
    return texts;
}

void BM_keystroke(benchmark::State& state) {
    Page& p = page();
    const std::vector<QString> texts = keystrokes();
    QLineEdit* edit = p.card->SearchSubFrame1->sleSearch;
    QWidget* grid = p.card->DBGrid1->viewport();
    std::size_t i = 0;
    int row = 0;
    for (auto _ : state) {
        edit->setText(texts[i++ % texts.size()]);
        grid->repaint();
        row += p.card->Current()->recNo();
    }
    benchmark::DoNotOptimize(row);
    if (p.card->Current()->recordCount() != PlaceCount)
        state.SkipWithError("the table did not open");
}
BENCHMARK(BM_keystroke)->Unit(benchmark::kMicrosecond);

void BM_findNearest(benchmark::State& state) {
    Page& p = page();
    const std::vector<QString> texts = keystrokes();
    THDBDataSet* table = p.card->tblWOPLA2; // not shown: no grid update
    std::size_t i = 0;
    int found = 0;
    for (auto _ : state)
        found += PlaceSearchKey::findPlace(*table, texts[i++ % texts.size()]);
    benchmark::DoNotOptimize(found);
}
BENCHMARK(BM_findNearest)->Unit(benchmark::kMicrosecond);

} // namespace
