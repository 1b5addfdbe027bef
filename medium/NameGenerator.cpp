#include "NameGenerator.h"

#include <iterator>

namespace {

template <std::size_t N> const char* pick(Rng& rng, const char* const (&list)[N]) {
    return list[rng.range(0, int(N) - 1)];
}

const char* const stems[] = {
    "Wald",   "Stein",   "Linden", "Eichen",  "Roth",    "Hahn",   "Kirch",   "Mühl",    "Alten",   "Neu",    "Buch",
    "Hassel", "Erlen",   "Birken", "Wolfs",   "Bären",   "Schön",  "Tiefen",  "Breiten", "Lang",    "Kalten", "Warm",
    "Frei",   "Hohen",   "Ober",   "Gunders", "Otters",  "Ebers",  "Heil",    "Hildes",  "Ruppers", "Wiesen", "Sieg",
    "Marien", "Dürk",    "Fran",   "Lauter",  "Mors",    "Herx",   "Elm",     "Dann",    "Odern",   "Kreuz",  "Rimbach",
    "Glan",   "Finken",  "Hirsch", "Reichen", "Sulz",    "Salz",   "Thal",    "Volk",    "Wart",    "Zell",   "Arns",
    "Bingen", "Dittel",  "Eppen",  "Frankel", "Gimbs",   "Harten", "Imsbach", "Kött",    "Lohns",   "Mehl",   "Nieder",
    "Ostern", "Pfeffel", "Quirn",  "Ransch",  "Schmitt", "Trieb",  "Usch",    "Wolfer",  "Hetzer",  "Kerzen", "Lieben"};

const char* const endings[] = {"heim",    "hausen",  "ingen",  "dorf", "bach",   "feld", "weiler",  "rode",
                               "stetten", "hofen",   "berg",   "au",   "thal",   "born", "kirchen", "burg",
                               "stadt",   "brücken", "scheid", "roth", "wiesen", "hain", "eck",     "furt"};
const char* const hamletEndings[] = {"weiler", "hof", "mühle", "hütte", "haus", "bruch", "grund"};
const char* const townEndings[] = {"heim", "stadt", "burg", "ingen", "hausen", "brücken", "kirchen"};
const char* const prefixes[] = {"Ober", "Nieder", "Unter", "Klein", "Groß", "Alt", "Neu", "Hinter", "Vorder"};

const char* const riverStems[] = {"Lauter", "Alsen",  "Glan",   "Erl",   "Mos",   "Wies",  "Selz", "Pfriem",
                                  "Eis",    "Speyer", "Queich", "Hasel", "Eller", "Rod",   "Wald", "Schwarz",
                                  "Weiß",   "Mühl",   "Otter",  "Kalt",  "Eber",  "Apfel", "Dürr", "Forellen"};
const char* const riverEndings[] = {"bach", "bach", "bach", "graben", "born"};
const char* const largeRivers[] = {"Nahe", "Alb",  "Lauter", "Glan", "Blies", "Prims", "Saal",   "Eder",
                                   "Alz",  "Murg", "Selz",   "Kinz", "Wern",  "Sinn",  "Tauber", "Enz"};

const char* const hillStems[] = {"Donners", "Königs",  "Eschen", "Hohe",  "Kalmit", "Weißen", "Schlossel", "Rote",
                                 "Wolfs",   "Teufels", "Hahnen", "Stauf", "Lember", "Potz",   "Selber",    "Dreh"};
const char* const hillEndings[] = {"berg", "kopf", "höhe", "stein", "kuppe", "eck", " Berg", " Kopf"};

const char* const forestNames[] = {"Staatsforst", "Gemeindewald", "Hochwald", "Bannwald", "Eichwald",
                                   "Buchwald",    "Hardt",        "Forst",    "Tann"};

const char* const firstNames[] = {"Georg", "Karl",  "Ludwig", "Otto",   "Friedrich", "Heinrich", "Wilhelm",
                                  "Anna",  "Maria", "Luise",  "Johann", "Philipp",   "Konrad",   "Elisabeth",
                                  "Jakob", "Peter", "Martin", "Walter", "Hermann",   "Emma"};
const char* const lastNames[] = {"Bauer",   "Schneider", "Becker",   "Hoffmann", "Wagner",  "Schäfer",    "Koch",
                                 "Richter", "Klein",     "Wolf",     "Neumann",  "Schwarz", "Zimmermann", "Krämer",
                                 "Braun",   "Hofmann",   "Hartmann", "Lang",     "Werner",  "Sommer"};

const char* const streetEndings[] = {"straße", "weg", "gasse", "allee", "ring", "platz"};
const char* const streetStems[] = {"Haupt",  "Kirch", "Schul",   "Bahnhof", "Garten", "Mühl",   "Wald", "Berg",
                                   "Linden", "Rosen", "Brunnen", "Schloss", "Markt",  "Wiesen", "Tal",  "Burg"};

} // namespace

QString NameGenerator::unique(const QString& candidate) {
    QString name = candidate;
    if (!m_used.contains(name)) {
        m_used.insert(name);
        return name;
    }
    return {};
}

QString NameGenerator::stem() {
    return QString::fromUtf8(pick(m_rng, stems));
}

QString NameGenerator::place(int size, const QString& riverStem) {
    for (int attempt = 0; attempt < 200; ++attempt) {
        QString name;
        if (!riverStem.isEmpty() && m_rng.chance(0.25)) {
            static const char* const riverPlaceEndings[] = {"eck", "bach", "au", "furt", "brücken", "münde"};
            name = riverStem + QString::fromUtf8(pick(m_rng, riverPlaceEndings));
        } else {
            QString ending;
            if (size >= 3)
                ending = QString::fromUtf8(pick(m_rng, hamletEndings));
            else if (size <= 1 && m_rng.chance(0.6))
                ending = QString::fromUtf8(pick(m_rng, townEndings));
            else
                ending = QString::fromUtf8(pick(m_rng, endings));
            QString s = stem();
            // Avoid doubled letters at the joint ("Hahnnheim") and stems that
            // already end like the ending.
            if (s.endsWith(ending.left(1)) && s.right(1) != QStringLiteral("s"))
                s.chop(1);
            name = s + ending;
            if (size >= 2 && m_rng.chance(0.15))
                name = QString::fromUtf8(pick(m_rng, prefixes)) + name.toLower();
        }
        if (!m_used.contains(name)) {
            m_used.insert(name);
            return name;
        }
    }
    // Practically unreachable: fall back to a numbered name.
    QString name;
    int n = 2;
    do {
        name = stem() + QStringLiteral("heim ") + QString::number(n++);
    } while (m_used.contains(name));
    m_used.insert(name);
    return name;
}

QString NameGenerator::river(bool large) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        QString name;
        if (large)
            name = QString::fromUtf8(pick(m_rng, largeRivers));
        else if (attempt < 30 && m_rng.chance(0.5))
            name = QString::fromUtf8(pick(m_rng, riverStems)) + QString::fromUtf8(pick(m_rng, riverEndings));
        else
            name = stem() + QString::fromUtf8(pick(m_rng, riverEndings));
        if (large && attempt > 20)
            name = stem() + QStringLiteral("bach");
        if (!unique(name).isEmpty())
            return name;
    }
    return {};
}

QString NameGenerator::hill() {
    for (int attempt = 0; attempt < 100; ++attempt) {
        QString name = QString::fromUtf8(pick(m_rng, hillStems)) + QString::fromUtf8(pick(m_rng, hillEndings));
        if (!unique(name).isEmpty())
            return name;
    }
    return unique(stem() + QStringLiteral("berg ") + QString::number(m_used.size()));
}

QString NameGenerator::forest() {
    for (int attempt = 0; attempt < 100; ++attempt) {
        QString name = m_rng.chance(0.5) ? stem() + QString::fromUtf8(m_rng.chance(0.5) ? "er Wald" : "er Forst")
                                         : QString::fromUtf8(pick(m_rng, forestNames));
        if (!unique(name).isEmpty())
            return name;
    }
    return unique(stem() + QStringLiteral("wald ") + QString::number(m_used.size()));
}

QString NameGenerator::lake() {
    for (int attempt = 0; attempt < 100; ++attempt) {
        static const char* const kinds[] = {"weiher", "see", "teich", "woog"};
        QString name = stem() + QString::fromUtf8(pick(m_rng, kinds));
        if (!unique(name).isEmpty())
            return name;
    }
    return unique(stem() + QStringLiteral("see ") + QString::number(m_used.size()));
}

QString NameGenerator::street() {
    return QString::fromUtf8(pick(m_rng, streetStems)) + QString::fromUtf8(pick(m_rng, streetEndings));
}

QString NameGenerator::person() {
    return QString::fromUtf8(pick(m_rng, firstNames)) + QLatin1Char('-') + QString::fromUtf8(pick(m_rng, lastNames));
}

QString NameGenerator::stemOf(const QString& riverName) {
    static const char* const suffixes[] = {"bach", "graben", "born"};
    for (const char* s : suffixes) {
        const QString suffix = QString::fromUtf8(s);
        if (riverName.endsWith(suffix) && riverName.size() > suffix.size() + 2)
            return riverName.left(riverName.size() - suffix.size());
    }
    return riverName;
}
