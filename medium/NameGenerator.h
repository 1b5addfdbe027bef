#pragma once

#include "Rng.h"

#include <QSet>
#include <QString>

// Makes German-sounding names for places, rivers, hills and the like from
// word stems and endings, never the same name twice.
class NameGenerator {
public:
    explicit NameGenerator(uint32_t seed) : m_rng(seed) {}

    // A place name; `size` 0 (city) .. 3 (hamlet) shifts the choice of
    // endings ("-weiler" and "-hof" for hamlets, "-heim" for towns); a place
    // by a river may take the river's name ("Lautereck", "Altenbach").
    QString place(int size, const QString& riverStem = {});
    QString river(bool large);
    QString hill();
    QString forest();
    QString lake();
    QString street();
    // A personal name for a hut or a museum ("Georg-Bauer-Haus" and alike).
    QString person();

    // The stem of a river name ("Lauter" of "Lauterbach").
    static QString stemOf(const QString& riverName);

private:
    QString stem();
    QString unique(const QString& candidate);

    Rng m_rng;
    QSet<QString> m_used;
};
