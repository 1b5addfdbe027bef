#include "ShowCoord.h"

#include "CoordCode.h"
#include "MapCoordListener.h"
#include "Registry.h"

#include <QStatusBar>

#include <cmath>

namespace Modul {

namespace {

std::unique_ptr<ShowCoord>& theModule() {
    static std::unique_ptr<ShowCoord> module;
    return module;
}

// A position far outside any real map would overflow the tenths of seconds.
constexpr double MaxDegrees = 1.0e6;

} // namespace

ShowCoord::ShowCoord(QStatusBar* statusBar) : m_statusBar(statusBar) {
    Transid::BuildRegistry();
    m_listener = std::make_unique<MapCoordListener>(*this);
    m_listener->Attach();
}

ShowCoord::~ShowCoord() {
    m_listener->Detach();
}

ShowCoord* ShowCoord::instance() {
    return theModule().get();
}

ShowCoord* ShowCoord::create(QStatusBar* statusBar) {
    theModule().reset();
    theModule() = std::make_unique<ShowCoord>(statusBar);
    return theModule().get();
}

void ShowCoord::show(const Coord& gaussKrueger) {
    if (m_statusBar != nullptr)
        m_statusBar->showMessage(statusText(gaussKrueger, m_settings));
}

uint32_t ShowCoord::geographicCode(int choice) {
    switch (choice) {
    case GeographicDhdn:
        return Transid::Code::DhdnGeographic;
    case GeographicEd50:
        return Transid::Code::Ed50Geographic;
    case GeographicEtrs89:
        return Transid::Code::Etrs89Geographic;
    default:
        return 0;
    }
}

const char* ShowCoord::geographicName(int choice) {
    const uint32_t code = geographicCode(choice);
    return code != 0 ? Transid::Code::displayName(code) : nullptr;
}

QString ShowCoord::degMinSec(double value, const char letters[2]) {
    if (!std::isfinite(value) || std::fabs(value) > MaxDegrees)
        return QString();
    // Tenths of a second of arc, rounded half up.
    long t = long(std::floor(value * 36000.0 + 0.5));
    char letter = letters[0];
    if (t < 0) {
        t = -t;
        letter = letters[1];
    }
    return QString::asprintf("%ld° %02ld' %02ld,%ld\" %c", t / 36000, (t / 600) % 60, (t / 10) % 60, t % 10, letter);
}

QString ShowCoord::statusText(const Coord& gaussKrueger, const Settings& settings) {
    // The registry's Gauss-Krüger record has easting first; its strip comes
    // from the easting's millions.
    Coord work{};
    work.type = Transid::Code::DhdnGaussKrueger;
    work.zone = 0;
    work.x = gaussKrueger.y;
    work.y = gaussKrueger.x;

    auto utm = [&work](uint32_t code, const char* format) {
        Coord target{};
        target.type = code;
        target.zone = 0;
        if (!Transid::Convert(work, target))
            return QString();
        return QString::asprintf(format, target.x, target.y);
    };

    QString text;
    switch (settings.projected) {
    case ProjectedGaussKrueger:
        text = QString::asprintf("DHDN Gauß-Krüger Rechts:%.2f Hoch:%.2f", work.x, work.y);
        break;
    case ProjectedEd50Utm:
        text = utm(Transid::Code::Ed50Utm, "ED50 UTM  E:%.2f N:%.2f");
        break;
    case ProjectedEtrs89Utm:
        text = utm(Transid::Code::Etrs89Utm, "ETRS89 UTM  E:%.2f N:%.2f");
        break;
    default:
        break;
    }

    // The separator follows any projected text, whether or not a geographic
    // part comes after it.
    if (!text.isEmpty())
        text += QStringLiteral("    ");
    const uint32_t geographic = geographicCode(settings.geographic);
    if (geographic == 0)
        return text;
    Coord target{};
    target.type = geographic;
    if (!Transid::Convert(work, target))
        return text;
    const QString latitude = degMinSec(target.y, "NS");
    const QString longitude = degMinSec(target.x, "OW");
    if (latitude.isEmpty() || longitude.isEmpty())
        return text;
    text += QString::asprintf("Geographisch %s:", geographicName(settings.geographic));
    text += latitude + QLatin1Char(' ') + longitude;
    return text;
}

} // namespace Modul
