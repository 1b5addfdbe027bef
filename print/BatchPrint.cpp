#include "BatchPrint.h"

#include "AppInitModule.h"
#include "MainWindow.h"
#include "MapSequence.h"
#include "MapWindowModule.h"
#include "ModulBasis.h"
#include "PlatformDialogs.h"
#include "PrintModule.h"
#include "PrintObject.h"
#include "TolmWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QThread>

#include <cmath>
#include <cstdio>

namespace BatchPrint {

namespace {

// Nobody is there to answer: every message goes to stderr and is answered
// with its most cautious button, so that a question (insert the data medium?)
// ends the run instead of waiting forever.
class BatchDialogs : public Platform::Dialogs {
public:
    Platform::MsgResult messageBox(QWidget*, const QString& text, const QString& caption, Platform::MsgButtons buttons,
                                   Platform::MsgIcon) override {
        std::fprintf(stderr, "vistrel: %s: %s\n", qUtf8Printable(caption), qUtf8Printable(text));
        switch (buttons) {
        case Platform::MsgButtons::Ok:
            return Platform::MsgResult::Ok;
        case Platform::MsgButtons::YesNo:
            return Platform::MsgResult::No;
        case Platform::MsgButtons::OkCancel:
        case Platform::MsgButtons::YesNoCancel:
            break;
        }
        return Platform::MsgResult::Cancel;
    }
    QStringList openFileNames(QWidget*, const Platform::FileDialogRequest&) override { return {}; }
    QString saveFileName(QWidget*, const Platform::FileDialogRequest&) override { return {}; }
    std::optional<QColor> chooseColor(QWidget*, const QColor&) override { return std::nullopt; }
    bool printDialog(QWidget*, QPrinter*) override { return false; }
    bool openDocument(const QString&) override { return false; }
};

// Restores the dialogs in use before the run.
class DialogsScope {
public:
    explicit DialogsScope(Platform::Dialogs* dialogs) : m_previous(&Platform::dialogs()) {
        Platform::setDialogs(dialogs);
    }
    ~DialogsScope() { Platform::setDialogs(m_previous); }
    DialogsScope(const DialogsScope&) = delete;
    DialogsScope& operator=(const DialogsScope&) = delete;

private:
    Platform::Dialogs* m_previous;
};

// The value of "--name value" or "--name=value"; `present` tells whether the
// option was given at all.
std::optional<QString> value(const QStringList& arguments, const QString& name, bool& present, QString& error) {
    present = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == name) {
            present = true;
            if (i + 1 >= arguments.size()) {
                error = QStringLiteral("Die Option %1 braucht einen Wert.").arg(name);
                return std::nullopt;
            }
            return arguments[i + 1];
        }
        if (argument.startsWith(name + QLatin1Char('='))) {
            present = true;
            return argument.mid(name.size() + 1);
        }
    }
    return std::nullopt;
}

bool flag(const QStringList& arguments, const QString& name) {
    return arguments.contains(name);
}

} // namespace

void WaitForLayout() {
    QSize last;
    int stable = 0;
    QElapsedTimer timer;
    timer.start();
    while (stable < 5 && timer.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::sendPostedEvents(nullptr, 0);
        const MapWindowModule* maps = MapWindowModule::instance();
        const TTolmWindow* window = maps ? maps->Window() : nullptr;
        const QSize size = window && window->isVisible() ? window->viewport()->size() : QSize();
        stable = size.isValid() && size == last ? stable + 1 : 0;
        last = size;
        QThread::msleep(2);
    }
}

bool Requested(const QStringList& arguments) {
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("--print-pdf") || argument.startsWith(QLatin1String("--print-pdf=")))
            return true;
    }
    return false;
}

std::optional<Options> Parse(const QStringList& arguments, QString& error) {
    Options options;
    bool present = false;
    error.clear();

    const std::optional<QString> output = value(arguments, QStringLiteral("--print-pdf"), present, error);
    if (!output || output->isEmpty()) {
        if (error.isEmpty())
            error = QStringLiteral("Die Option --print-pdf braucht den Namen der PDF-Datei.");
        return std::nullopt;
    }
    options.output = *output;

    if (const std::optional<QString> scale = value(arguments, QStringLiteral("--scale"), present, error)) {
        bool ok = false;
        const qlonglong n = scale->trimmed().toLongLong(&ok);
        if (!ok || n < 0 || n > 2147483647) {
            error = QStringLiteral("Ungültiger Maßstab „%1“: erwartet wird eine ganze Zahl ab 0 "
                                   "(0 druckt den Fensterinhalt).")
                        .arg(*scale);
            return std::nullopt;
        }
        options.scale = static_cast<std::int32_t>(n);
    } else if (present) {
        return std::nullopt;
    }

    if (const std::optional<QString> centre = value(arguments, QStringLiteral("--centre"), present, error)) {
        const QStringList parts = centre->split(QLatin1Char(','));
        bool okE = false;
        bool okN = false;
        const double e = parts.size() == 2 ? parts[0].trimmed().toDouble(&okE) : 0.0;
        const double n = parts.size() == 2 ? parts[1].trimmed().toDouble(&okN) : 0.0;
        if (!okE || !okN || !std::isfinite(e) || !std::isfinite(n)) {
            error = QStringLiteral("Ungültiger Mittelpunkt „%1“: erwartet wird Rechtswert,Hochwert in Metern.")
                        .arg(*centre);
            return std::nullopt;
        }
        options.easting = e;
        options.northing = n;
    } else if (present) {
        return std::nullopt;
    }

    if (const std::optional<QString> map = value(arguments, QStringLiteral("--map"), present, error)) {
        bool ok = false;
        options.map = map->trimmed().toInt(&ok);
        if (!ok || options.map < 1) {
            error = QStringLiteral("Ungültige Kartennummer „%1“.").arg(*map);
            return std::nullopt;
        }
    } else if (present) {
        return std::nullopt;
    }

    if (const std::optional<QString> dpi = value(arguments, QStringLiteral("--dpi"), present, error)) {
        bool ok = false;
        options.dpi = dpi->trimmed().toInt(&ok);
        if (!ok || options.dpi < 72 || options.dpi > 2400) {
            error = QStringLiteral("Ungültige Auflösung „%1“: erwartet werden 72 bis 2400 dpi.").arg(*dpi);
            return std::nullopt;
        }
    } else if (present) {
        return std::nullopt;
    }

    options.landscape = flag(arguments, QStringLiteral("--landscape"));
    return options;
}

bool PrintView(const Options& options, QString& error, const std::function<void()>& beforePrint) {
    MapWindowModule* maps = MapWindowModule::instance();
    PrintModule* module = PrintModule::instance();
    if (maps == nullptr || module == nullptr || maps->Window() == nullptr) {
        error = QStringLiteral("Das Kartenfenster ist nicht bereit.");
        return false;
    }
    if (options.map > 0) {
        const int count = Modul::Kartenfolge::Count();
        if (options.map > count) {
            error = QStringLiteral("Karte %1 gibt es nicht; der Datenträger hat die Karten 1 bis %2.")
                        .arg(options.map)
                        .arg(count);
            return false;
        }
        Modul::Kartenfolge::SelectMap(options.map);
    }
    TTolmWindow* window = maps->ShowMapPage();
    if (window == nullptr || window->MapHandle() == 0) {
        error = QStringLiteral("Es ist keine Karte geöffnet.");
        return false;
    }
    if (options.easting && options.northing) {
        Coord centre{};
        centre.type = TLM_COORD_GAUSS_KRUEGER;
        centre.zone = static_cast<std::uint32_t>(std::max(0.0, std::floor(*options.easting / 1000000.0)));
        centre.x = *options.northing;
        centre.y = *options.easting;
        // A centre off the map would print whatever edge the window stops at.
        Coord pixel{};
        pixel.type = TLM_COORD_MAP_PIXEL;
        pixel.zone = window->MapHandle();
        std::int32_t size[2] = {0, 0};
        TLM_GetSize(window->MapHandle(), size);
        const double zoom = window->ZoomFactor();
        if (TLM_TransformCoordsEx(&centre, &pixel) != 0 || pixel.x < 0 || pixel.y < 0 || pixel.x >= size[0] * zoom ||
            pixel.y >= size[1] * zoom) {
            error = QStringLiteral("Der Mittelpunkt %1,%2 liegt nicht auf der Karte.")
                        .arg(*options.easting, 0, 'f', 0)
                        .arg(*options.northing, 0, 'f', 0);
            return false;
        }
        maps->SetCentre(centre, true);
    }
    QCoreApplication::processEvents();
    if (beforePrint)
        beforePrint();

    PrintObject print(*module, options.scale, module->ScaleBarDefault);
    print.MarginText = module->MarginText(module->SubTitle);
    QPrinter& printer = print.Printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(options.output);
    printer.setResolution(options.dpi);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(options.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    if (print.PrintMap() == 0) {
        error = QStringLiteral("Die Karte kann nicht zum Drucken geöffnet werden.");
        return false;
    }
    if (!print.Print()) {
        error = QStringLiteral("Die PDF-Datei „%1“ konnte nicht geschrieben werden.").arg(options.output);
        return false;
    }
    return true;
}

int Run(const QStringList& arguments, const std::function<void()>& beforePrint) {
    QString error;
    const std::optional<Options> options = Parse(arguments, error);
    if (!options) {
        std::fprintf(stderr, "vistrel: %s\n", qUtf8Printable(error));
        return 2;
    }
    BatchDialogs dialogs;
    const DialogsScope scope(&dialogs);
    // A print runs beside a viewer the user has open: it must neither hand
    // over to that one and end unprinted, nor be handed over to.
    qputenv("VISTREL_INSTANCE_KEY",
            qgetenv("VISTREL_INSTANCE_KEY") + "-print-" + QByteArray::number(QCoreApplication::applicationPid()));
    TAppInitModule init(TAppInitModule::parseArguments(arguments));
    try {
        if (!init.initApp()) {
            std::fprintf(stderr, "vistrel: Das Programm konnte nicht gestartet werden; es wurde nichts gedruckt.\n");
            return 1;
        }
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "vistrel: Fehler beim Programmstart: %s\n", failure.what());
        return 1;
    }
    // The window gets its real size only once shown, as the program shows it.
    init.basis()->mainWindow()->showMaximized();
    WaitForLayout();
    if (!PrintView(*options, error, beforePrint)) {
        std::fprintf(stderr, "vistrel: Fehler beim Drucken: %s\n", qUtf8Printable(error));
        return 1;
    }
    return 0;
}

} // namespace BatchPrint
