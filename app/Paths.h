#pragma once

#include <QString>

#include <optional>

namespace Singletons {

// The folders of the program and of the data medium. The medium folders
// follow the application's BasePath at the time of the call.
class Paths {
public:
    static Paths& instance();

    // The program's folder, ending in "/" (empty when the program path has none).
    QString programDirectory() const;

    QString dataDirectory() const;  // BasePath + "DATEN/"
    QString mapDirectory() const;   // BasePath + "KARTEN/"
    QString imageDirectory() const; // BasePath + "BILDER/"
    // The override when set, else BasePath + "SYMBOLE/".
    QString symbolDirectory() const;

    void setSymbolDirectoryOverride(const QString& directory) { m_symbolOverride = directory; }
    void clearSymbolDirectoryOverride() { m_symbolOverride.reset(); }

private:
    Paths() = default;

    std::optional<QString> m_symbolOverride;
};

} // namespace Singletons
