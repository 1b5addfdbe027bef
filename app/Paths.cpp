#include "Paths.h"

#include "ModulBasis.h"

namespace Singletons {

namespace {

QString basePath() {
    const Modul::Basis* basis = Modul::Basis::instance();
    return basis ? basis->basePath() : QString();
}

} // namespace

Paths& Paths::instance() {
    static Paths paths;
    return paths;
}

QString Paths::programDirectory() const {
    return Modul::Basis::programDirectory();
}

QString Paths::dataDirectory() const {
    return basePath() + QStringLiteral("DATEN/");
}

QString Paths::mapDirectory() const {
    return basePath() + QStringLiteral("KARTEN/");
}

QString Paths::imageDirectory() const {
    return basePath() + QStringLiteral("BILDER/");
}

QString Paths::symbolDirectory() const {
    if (m_symbolOverride)
        return *m_symbolOverride;
    return basePath() + QStringLiteral("SYMBOLE/");
}

} // namespace Singletons
