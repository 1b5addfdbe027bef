// The databases of the medium: places, points of interest with their
// information pages, and administrative boundaries.
#include "MediumWriter.h"
#include "PlaceKey.h"

#include "Cp1252.h"
#include "GaussKrueger.h"
#include "HDBFile.h"
#include "HDBFormat.h"
#include "HDBRecords.h"
#include "HDBWriter.h"

#include <QDir>
#include <QSaveFile>

#include <algorithm>
#include <cmath>
#include <map>

namespace {

using Value = HDBWriter::Value;

// A world position in the strip its longitude belongs to, as the databases
// store positions: west of 7.5° E in strip 2, east of it in strip 3.
void stripPosition(const QPointF& p, double& northing, double& easting) {
    double lon = 0, lat = 0;
    MediumGk::inverse(p.y(), p.x(), lon, lat);
    MediumGk::forward(lon, lat, MediumGk::zoneOf(lon), northing, easting);
}

std::string bytes(const QString& s) {
    return Cp1252::encode(s);
}

QString html(QString s) {
    return s.toHtmlEscaped();
}

bool savePage(const QString& file, const QString& title, const QString& body) {
    QSaveFile f(file);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    const QString page = QStringLiteral("<!DOCTYPE html>\n<html lang=\"de\">\n<head>\n<meta charset=\"utf-8\">\n"
                                        "<title>%1</title>\n<style>body{font-family:sans-serif;margin:1.5em;}"
                                        "h1{font-size:1.4em;color:#24507a;}td{padding:0 1em 0 0;}</style>\n"
                                        "</head>\n<body>\n<h1>%1</h1>\n%2\n</body>\n</html>\n")
                             .arg(html(title), body);
    f.write(page.toUtf8());
    return f.commit();
}

const char* const categoryNames[] = {"",
                                     "Sehenswürdigkeiten",
                                     "Jugendherbergen",
                                     "Museen",
                                     "Burgen + Schlösser",
                                     "bewirtschaftete Hütten",
                                     "Campingplätze"};

} // namespace

bool MediumWriter::writePlaces() {
    if (progress)
        progress(QStringLiteral("DATEN/WOPLA1.HDB, DATEN/WOPLA2.HDB"));
    struct Place {
        std::string ort, teil;
        double e = 0, n = 0;
        int rel1 = 0, rel2 = 0; // record numbers in WOPLA1 and WOPLA2
    };
    std::vector<Place> places;
    const GkBox& region = m_world.spec().region;
    for (const Settlement& s : m_world.settlements) {
        if (!region.contains(s.pos) || s.municipality < 0)
            continue;
        Place p;
        // Names are kept in capitals: the search compares them with the
        // typed text in capitals.
        p.ort = bytes(PlaceKey::upper(m_world.municipalities[std::size_t(s.municipality)].name));
        p.teil = bytes(PlaceKey::upper(s.name));
        stripPosition(s.pos, p.n, p.e);
        places.push_back(p);
    }
    // Record numbers in both orders, so that each record can name the same
    // place in the other table.
    std::vector<std::size_t> by1(places.size()), by2(places.size());
    for (std::size_t i = 0; i < places.size(); ++i)
        by1[i] = by2[i] = i;
    std::sort(by1.begin(), by1.end(), [&](std::size_t a, std::size_t b) {
        return std::tie(places[a].ort, places[a].teil) < std::tie(places[b].ort, places[b].teil);
    });
    std::sort(by2.begin(), by2.end(), [&](std::size_t a, std::size_t b) {
        return std::tie(places[a].teil, places[a].ort) < std::tie(places[b].teil, places[b].ort);
    });
    for (std::size_t r = 0; r < places.size(); ++r) {
        places[by1[r]].rel1 = int(r + 1);
        places[by2[r]].rel2 = int(r + 1);
    }
    auto table = [&](bool partFirst, const QString& name) {
        std::vector<HDBFieldDef> fields;
        const HDBFieldDef ort{"ORT", HDBFormat::TypeText, 40, 0};
        const HDBFieldDef teil{"ORTS_TEIL", HDBFormat::TypeText, 40, 0};
        if (partFirst) {
            fields = {teil, ort};
        } else {
            fields = {ort, teil};
        }
        fields.push_back({"RELATION", HDBFormat::TypeNumber, 6, 0});
        fields.push_back({"R_WERT", HDBFormat::TypeNumber, 10, 1});
        fields.push_back({"H_WERT", HDBFormat::TypeNumber, 10, 1});
        HDBWriter w(fields, CodeWord);
        if (!w.isValid())
            return fail(name + QStringLiteral(": ") + QString::fromStdString(w.errorString()));
        for (const Place& p : places) {
            const Value a = partFirst ? Value(p.teil) : Value(p.ort);
            const Value b = partFirst ? Value(p.ort) : Value(p.teil);
            const int64_t relation = partFirst ? p.rel1 : p.rel2;
            if (!w.addRecord({a, b, relation, std::round(p.e * 10) / 10, std::round(p.n * 10) / 10}))
                return fail(name + QStringLiteral(": ") + QString::fromStdString(w.errorString()));
        }
        if (!w.write(path(name).toStdString()))
            return fail(name + QStringLiteral(": ") + QString::fromStdString(w.errorString()));
        return true;
    };
    return table(false, QStringLiteral("DATEN/WOPLA1.HDB")) && table(true, QStringLiteral("DATEN/WOPLA2.HDB"));
}

bool MediumWriter::writePois() {
    if (progress)
        progress(QStringLiteral("DATEN/TopInfo.HDB, DATEN/INFO"));
    const std::vector<HDBFieldDef> fields = {
        {"KATEGORIE", HDBFormat::TypeText, 1, 0}, {"NAME", HDBFormat::TypeText, 60, 0},
        {"STRASSE", HDBFormat::TypeText, 40, 0},  {"PLZORT", HDBFormat::TypeText, 40, 0},
        {"VORWAHL", HDBFormat::TypeText, 8, 0},   {"TELEFON", HDBFormat::TypeText, 12, 0},
        {"FAX", HDBFormat::TypeText, 12, 0},      {"EMAIL", HDBFormat::TypeText, 50, 0},
        {"X", HDBFormat::TypeNumber, 10, 1},      {"Y", HDBFormat::TypeNumber, 10, 1},
    };
    const QString file = QStringLiteral("DATEN/TopInfo.HDB");
    HDBWriter w(fields, CodeWord);
    if (!w.isValid())
        return fail(file + QStringLiteral(": ") + QString::fromStdString(w.errorString()));
    std::map<std::string, const Poi*> byName;
    for (const Poi& p : m_world.pois) {
        double n = 0, e = 0;
        stripPosition(p.pos, n, e);
        const std::string name = bytes(p.name.left(60));
        byName[std::to_string(p.category) + name] = &p;
        if (!w.addRecord({std::to_string(p.category), name, bytes(p.street), bytes(p.plzOrt), bytes(p.vorwahl),
                          bytes(p.telefon), bytes(p.fax), bytes(p.email), std::round(n * 10) / 10,
                          std::round(e * 10) / 10}))
            return fail(file + QStringLiteral(": ") + QString::fromStdString(w.errorString()));
    }
    if (!w.write(path(file).toStdString()))
        return fail(file + QStringLiteral(": ") + QString::fromStdString(w.errorString()));

    // The pages are named after the element keys, which hold the record
    // numbers of the written file: read it back to learn them.
    auto hdb = HDBFile::open(path(file).toStdString(), CodeWord);
    if (!hdb || !hdb->isOpen())
        return fail(file + QStringLiteral(": kann nicht gelesen werden"));
    HDBRecords cursor(hdb);
    const RowField* fKat = hdb->fieldByName("KATEGORIE");
    const RowField* fName = hdb->fieldByName("NAME");
    if (!fKat || !fName)
        return fail(file + QStringLiteral(": Felder fehlen"));
    const QString infoDir = path(QStringLiteral("DATEN/INFO"));
    std::map<int, QString> lists;
    for (int r = 1; r <= hdb->recordCount(); ++r) {
        if (!cursor.seek(r))
            return fail(file + QStringLiteral(": Datensatz %1 fehlt").arg(r));
        std::string kat, name;
        fKat->getString(cursor, kat);
        fName->getString(cursor, name);
        auto it = byName.find(kat + name);
        if (it == byName.end())
            return fail(file + QStringLiteral(": Datensatz %1 unbekannt").arg(r));
        const Poi& p = *it->second;
        const QString key = QString::fromStdString(kat) + QStringLiteral("%1").arg(r, 10, 10, QLatin1Char('0'));
        QString body = QStringLiteral("<p>%1</p>\n<table>\n").arg(html(p.description));
        body += QStringLiteral("<tr><td>Anschrift</td><td>%1<br>%2</td></tr>\n").arg(html(p.street), html(p.plzOrt));
        body += QStringLiteral("<tr><td>Telefon</td><td>%1/%2</td></tr>\n").arg(html(p.vorwahl), html(p.telefon));
        if (!p.fax.isEmpty())
            body += QStringLiteral("<tr><td>Fax</td><td>%1/%2</td></tr>\n").arg(html(p.vorwahl), html(p.fax));
        if (!p.email.isEmpty())
            body += QStringLiteral("<tr><td>E-Mail</td><td>%1</td></tr>\n").arg(html(p.email));
        body += QStringLiteral("</table>\n<p><a href=\"%1.html\">%2</a></p>")
                    .arg(QString::fromStdString(kat), html(QString::fromUtf8(categoryNames[p.category])));
        if (!savePage(QDir(infoDir).filePath(key + QStringLiteral(".html")), p.name, body))
            return fail(QStringLiteral("DATEN/INFO/%1.html kann nicht geschrieben werden").arg(key));
        lists[p.category] += QStringLiteral("<li><a href=\"%1.html\">%2</a></li>\n").arg(key, html(p.name));
    }
    for (int cat = 1; cat <= 6; ++cat) {
        const QString title = QString::fromUtf8(categoryNames[cat]);
        const QString body = lists[cat].isEmpty()
                                 ? QStringLiteral("<p>In dieser Region sind keine Einträge vorhanden.</p>")
                                 : QStringLiteral("<ul>\n%1</ul>").arg(lists[cat]);
        if (!savePage(QDir(infoDir).filePath(QString::number(cat) + QStringLiteral(".html")), title, body))
            return fail(QStringLiteral("DATEN/INFO/%1.html kann nicht geschrieben werden").arg(cat));
    }
    if (!savePage(QDir(infoDir).filePath(QStringLiteral("NoInfo.html")), QStringLiteral("Keine Information"),
                  QStringLiteral("<p>Zu diesem Objekt liegen leider keine weiteren Informationen vor.</p>")))
        return fail(QStringLiteral("DATEN/INFO/NoInfo.html kann nicht geschrieben werden"));
    return true;
}

bool MediumWriter::writeBoundaries() {
    if (progress)
        progress(QStringLiteral("DATEN/GRENZ1.HDB .. GRENZ3.HDB"));
    // Municipality of every node of a 25 m lattice over the region; the
    // boundaries are traced between nodes of different municipalities
    // (marching squares: a cell edge whose ends differ is cut at its middle,
    // two cuts are joined directly, more meet in the cell's centre).
    const GkBox& r = m_world.spec().region;
    const double step = 25.0;
    const int nx = int(std::lround(r.width() / step)) + 1;
    const int ny = int(std::lround(r.height() / step)) + 1;
    std::vector<int> muni(std::size_t(nx) * std::size_t(ny));
    for (int j = 0; j < ny; ++j) {
        for (int i = 0; i < nx; ++i)
            muni[std::size_t(j) * nx + i] = m_world.municipalityAt(r.e0 + i * step, r.n0 + j * step);
    }
    auto assoc = [&](int m) { return m < 0 ? -1 : m_world.municipalities[std::size_t(m)].association; };
    auto district = [&](int m) { return m < 0 ? -1 : m_world.associations[std::size_t(assoc(m))].district; };
    // Level of a boundary between two municipalities: 1 district, 2
    // association, 3 municipality (each level file holds its own and all
    // higher boundaries, since they are boundaries of its units too).
    auto level = [&](int a, int b) { return district(a) != district(b) ? 1 : assoc(a) != assoc(b) ? 2 : 3; };
    struct Segment {
        QPointF a, b;
        int level;
    };
    std::vector<Segment> segments;
    for (int j = 0; j + 1 < ny; ++j) {
        for (int i = 0; i + 1 < nx; ++i) {
            const int a = muni[std::size_t(j) * nx + i], b = muni[std::size_t(j) * nx + i + 1];
            const int c = muni[std::size_t(j + 1) * nx + i + 1], d = muni[std::size_t(j + 1) * nx + i];
            if (a == b && b == c && c == d)
                continue;
            const double e = r.e0 + i * step, n = r.n0 + j * step;
            struct Cut {
                QPointF at;
                int level;
            };
            std::vector<Cut> cuts;
            if (a != b)
                cuts.push_back({{e + step / 2, n}, level(a, b)});
            if (b != c)
                cuts.push_back({{e + step, n + step / 2}, level(b, c)});
            if (d != c)
                cuts.push_back({{e + step / 2, n + step}, level(d, c)});
            if (a != d)
                cuts.push_back({{e, n + step / 2}, level(a, d)});
            if (cuts.size() == 2) {
                segments.push_back({cuts[0].at, cuts[1].at, std::min(cuts[0].level, cuts[1].level)});
            } else {
                const QPointF centre(e + step / 2, n + step / 2);
                for (const Cut& cut : cuts)
                    segments.push_back({cut.at, centre, cut.level});
            }
        }
    }
    const std::vector<HDBFieldDef> fields = {
        {"KEY_H", HDBFormat::TypeNumber, 9, 0},  {"MIN_H", HDBFormat::TypeNumber, 11, 1},
        {"MAX_H", HDBFormat::TypeNumber, 11, 1}, {"MIN_R", HDBFormat::TypeNumber, 11, 1},
        {"MAX_R", HDBFormat::TypeNumber, 11, 1}, {"RICHTUNG", HDBFormat::TypeByte, 1, 0},
    };
    for (int lvl = 1; lvl <= 3; ++lvl) {
        const QString file = QStringLiteral("DATEN/GRENZ%1.HDB").arg(lvl);
        HDBWriter w(fields, CodeWord);
        if (!w.isValid())
            return fail(file + QStringLiteral(": ") + QString::fromStdString(w.errorString()));
        for (const Segment& s : segments) {
            if (s.level > lvl)
                continue;
            // Both ends in the strip of the segment's middle.
            double mlon = 0, mlat = 0;
            const QPointF mid = (s.a + s.b) / 2;
            MediumGk::inverse(mid.y(), mid.x(), mlon, mlat);
            const int zone = MediumGk::zoneOf(mlon);
            double na = 0, ea = 0, nb = 0, eb = 0;
            MediumGk::toZone(s.a.y(), s.a.x(), zone, na, ea);
            MediumGk::toZone(s.b.y(), s.b.x(), zone, nb, eb);
            na = std::round(na * 10) / 10;
            ea = std::round(ea * 10) / 10;
            nb = std::round(nb * 10) / 10;
            eb = std::round(eb * 10) / 10;
            const double minH = std::min(na, nb), maxH = std::max(na, nb);
            const double minR = std::min(ea, eb), maxR = std::max(ea, eb);
            // 0: from (MIN_H, MIN_R) to (MAX_H, MAX_R); 1: from (MAX_H, MIN_R) to (MIN_H, MAX_R).
            const bool together = (na <= nb) == (ea <= eb);
            const int64_t key = int64_t(std::floor(maxH));
            if (!w.addRecord({key, minH, maxH, minR, maxR, int64_t(together ? 0 : 1)}))
                return fail(file + QStringLiteral(": ") + QString::fromStdString(w.errorString()));
        }
        if (!w.write(path(file).toStdString()))
            return fail(file + QStringLiteral(": ") + QString::fromStdString(w.errorString()));
    }
    return true;
}
