#include "TDHMDialog.h"

#include "PlatformDialogs.h"

#include <QAction>
#include <QActionGroup>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>

#include <algorithm>
#include <cmath>

// --- DHMProfileWindow ---

DHMProfileWindow::DHMProfileWindow(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("DHMProfileWindow"));
    setCursor(Qt::ArrowCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void DHMProfileWindow::setPath(const DHM_Path* path) {
    m_path = path;
    update();
}

void DHMProfileWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (m_path != nullptr)
        m_graph = m_path->draw(painter, rect());
}

QImage DHMProfileWindow::render(DHM_Graph* graph) const {
    QImage image(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font());
    if (m_path != nullptr) {
        DHM_Graph drawn = m_path->draw(painter, image.rect());
        if (graph != nullptr)
            *graph = std::move(drawn);
    }
    return image;
}

void DHMProfileWindow::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::RightButton) {
        if (onContextMenu)
            onContextMenu(event->globalPosition().toPoint());
        return;
    }
    if (event->button() != Qt::LeftButton || m_path == nullptr)
        return;
    // The layout as the path is now (the last paint may be older).
    DHM_Graph graph;
    render(&graph);
    if (graph.plot.isEmpty() || !graph.plot.contains(at) || graph.samples.size() < 2)
        return;
    const double d0 = graph.samples.front().distance, d1 = graph.samples.back().distance;
    const double t = double(at.x() - graph.plot.left()) / std::max(1, graph.plot.width());
    if (onGraphClick)
        onGraphClick(d0 + std::clamp(t, 0.0, 1.0) * (d1 - d0), event->globalPosition().toPoint());
}

// --- TDHMDialog ---

TDHMDialog::TDHMDialog(DHM_Path* path, QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_path(path) {
    setObjectName(QStringLiteral("TDHMDialog"));
    setWindowTitle(QStringLiteral("Höhenprofil"));
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);
    resize(520, 300);

    m_graph = new DHMProfileWindow(this);
    m_graph->setPath(path);
    m_options = new QPushButton(QStringLiteral(">>"), this);
    m_options->setObjectName(QStringLiteral("pshOptions"));
    m_options->setFixedSize(m_options->sizeHint().height() * 3 / 2, m_options->sizeHint().height());

    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("OptionMenu"));
    auto item = [](QMenu* menu, const char* name, const QString& caption, bool checkable) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        action->setCheckable(checkable);
        return action;
    };
    QMenu* interpolation = new QMenu(QStringLiteral("&Interpolation"), m_menu);
    Interpol = m_menu->addMenu(interpolation);
    Interpol->setObjectName(QStringLiteral("Interpol"));
    InterpolNone = item(interpolation, "InterpolNone", QStringLiteral("&keine"), true);
    InterpolPoints = item(interpolation, "InterpolPoints", QStringLiteral("nur &Stützpunkte"), true);
    InterpolHeights = item(interpolation, "InterpolHeights", QStringLiteral("nur &Höhenraster"), true);
    InterpolBoth = item(interpolation, "InterpolBoth", QStringLiteral("&beides"), true);
    Percentages = item(m_menu, "Percentages", QStringLiteral("&Steigungswerte"), true);
    Statistik = item(m_menu, "Statistik", QStringLiteral("St&atistik"), true);
    Hilfslinien = item(m_menu, "Hilfslinien", QStringLiteral("&Hilfslinien"), true);
    SelectColor = item(m_menu, "SelectColor", QStringLiteral("&Farbe"), false);
    QMenu* thickness = new QMenu(QStringLiteral("&Dicke"), m_menu);
    Dicke1 = m_menu->addMenu(thickness);
    Dicke1->setObjectName(QStringLiteral("Dicke1"));
    PenWidth1 = item(thickness, "PenWidth1", QStringLiteral("&dünn"), false);
    PenWidth3 = item(thickness, "PenWidth3", QStringLiteral("&mittel"), false);
    PenWidth5 = item(thickness, "PenWidth5", QStringLiteral("d&ick"), false);
    m_menu->addSeparator();
    SavePicture = item(m_menu, "SavePicture", QStringLiteral("&Bild speichern"), false);
    Print = item(m_menu, "Print", QStringLiteral("&Drucken"), false);
    connect(m_menu, &QMenu::aboutToShow, this, &TDHMDialog::updateChecks);

    GraphClickMenu = new QMenu(this);
    GraphClickMenu->setObjectName(QStringLiteral("GraphClickMenu"));
    JumpToPosition = item(GraphClickMenu, "JumpToPosition", QStringLiteral("Zu &Position springen"), false);

    constexpr int Support = DHM_Path::SupportPoints, Percent = DHM_Path::Percentages,
                  Mask = DHM_Path::InterpolationMask;
    constexpr int Bilinear = DHM_Path::Bilinear;
    connect(InterpolNone, &QAction::triggered, this, [this] { setFlags(m_path->flags & ~(Support | Bilinear)); });
    connect(InterpolPoints, &QAction::triggered, this,
            [this] { setFlags((m_path->flags & ~(Mask | Bilinear)) | Support); });
    connect(InterpolHeights, &QAction::triggered, this, [this] { setFlags((m_path->flags & ~Support) | Bilinear); });
    connect(InterpolBoth, &QAction::triggered, this,
            [this] { setFlags((m_path->flags & ~Mask) | Support | Bilinear); });
    connect(Percentages, &QAction::triggered, this, [this] {
        const int value = (m_path->flags & Mask) == Percent ? 0 : Percent;
        setFlags((m_path->flags & ~Mask) | value);
    });
    connect(Statistik, &QAction::triggered, this, [this] { setFlags(m_path->flags ^ DHM_Path::Statistics); });
    connect(Hilfslinien, &QAction::triggered, this, [this] { setFlags(m_path->flags ^ DHM_Path::HelperLines); });
    connect(SelectColor, &QAction::triggered, this, [this] {
        if (const std::optional<QColor> colour = Platform::dialogs().chooseColor(this, m_path->colour)) {
            m_path->colour = *colour;
            pathChanged();
        }
    });
    auto width = [this](int w) {
        m_path->penWidth = w;
        pathChanged();
    };
    connect(PenWidth1, &QAction::triggered, this, [width] { width(1); });
    connect(PenWidth3, &QAction::triggered, this, [width] { width(3); });
    connect(PenWidth5, &QAction::triggered, this, [width] { width(5); });
    connect(SavePicture, &QAction::triggered, this, [this] { savePicture(); });
    connect(Print, &QAction::triggered, this, [this] { print(); });
    connect(JumpToPosition, &QAction::triggered, this, [this] {
        if (onJumpTo)
            onJumpTo(m_jumpDistance);
    });

    connect(m_options, &QPushButton::clicked, this,
            [this] { m_menu->popup(m_options->mapToGlobal(QPoint(0, m_options->height()))); });
    m_graph->onContextMenu = [this](const QPoint& at) { m_menu->popup(at); };
    m_graph->onGraphClick = [this](double distance, const QPoint& at) {
        m_jumpDistance = distance;
        GraphClickMenu->popup(at);
    };
}

void TDHMDialog::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_graph->setGeometry(rect());
    m_options->move(width() - m_options->width() - 2, 2);
    m_options->raise();
}

void TDHMDialog::pathChanged() {
    m_graph->update();
}

QMenu* TDHMDialog::optionMenu() {
    return m_menu;
}

void TDHMDialog::setFlags(int flags) {
    m_path->flags = flags;
    updateChecks();
    pathChanged();
}

void TDHMDialog::updateChecks() {
    const int flags = m_path->flags;
    const int interpolation = flags & (DHM_Path::SupportPoints | DHM_Path::Bilinear);
    InterpolNone->setChecked(interpolation == 0);
    InterpolPoints->setChecked(interpolation == DHM_Path::SupportPoints);
    InterpolHeights->setChecked(interpolation == DHM_Path::Bilinear);
    InterpolBoth->setChecked(interpolation == (DHM_Path::SupportPoints | DHM_Path::Bilinear));
    Percentages->setChecked((flags & DHM_Path::InterpolationMask) == DHM_Path::Percentages);
    Statistik->setChecked(flags & DHM_Path::Statistics);
    Hilfslinien->setChecked(flags & DHM_Path::HelperLines);
}

QImage TDHMDialog::picture() const {
    const QImage graph = m_graph->render();
    const QFontMetrics fm(m_graph->font());
    const int line = fm.height();
    QImage image(graph.width(), graph.height() + line * 3 / 2, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(m_graph->font());
    painter.drawImage(0, 0, graph);
    painter.setPen(Qt::black);
    painter.drawText(QRect(0, graph.height(), image.width(), line), Qt::AlignHCenter | Qt::AlignTop,
                     QString::fromUtf8(DhmSourceLine));
    return image;
}

bool TDHMDialog::savePicture() {
    Platform::FileDialogRequest request;
    request.caption = QStringLiteral("Höhenprofil speichern");
    request.filter = QStringLiteral("Bitmap (*.bmp)");
    request.fileName = QStringLiteral("*.bmp");
    request.defaultSuffix = QStringLiteral("bmp");
    const QString file = Platform::dialogs().saveFileName(this, request);
    if (file.isEmpty())
        return false;
    if (!picture().save(file, "BMP")) {
        Platform::dialogs().messageBox(this, QStringLiteral("Konnte Datei nicht anlegen."), QStringLiteral("Fehler!"),
                                       Platform::MsgButtons::Ok, Platform::MsgIcon::Error);
        return false;
    }
    return true;
}

bool TDHMDialog::print() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setPrintRange(QPrinter::AllPages);
    if (!Platform::dialogs().printDialog(this, &printer))
        return false;
    printTo(printer);
    return true;
}

void TDHMDialog::printTo(QPrinter& printer) {
    printer.setDocName(QStringLiteral("Höhenprofil"));
    QPainter painter;
    if (!painter.begin(&printer)) {
        Platform::dialogs().messageBox(this, QStringLiteral("Fehler beim Drucken"), QStringLiteral("Fehler!"),
                                       Platform::MsgButtons::Ok, Platform::MsgIcon::Error);
        return;
    }
    QFont font = m_graph->font();
    painter.setFont(QFont(font, &printer));
    const QFontMetrics fm = painter.fontMetrics();
    const QRect page = painter.viewport();
    // As wide as the page, as high as the window's proportion allows, the
    // printer's pixel aspect taken into account; room for the source line.
    const double aspect = double(printer.logicalDpiY()) / std::max(1, printer.logicalDpiX());
    const int room = fm.height() * 3 / 2;
    const double proportion = double(std::max(1, m_graph->height())) / std::max(1, m_graph->width());
    const int height = std::min(int(page.width() * proportion * aspect), page.height() - room);
    const QRect graph(page.left(), page.top(), page.width(), height);
    // Lines keep their look: the pen grows with the printer's text height.
    const int screenText = std::max(1, QFontMetrics(font).height());
    DHM_Path scaled = *m_path;
    scaled.lineScale = double(fm.height()) / screenText;
    scaled.penWidth = std::max(1, int(std::lround(m_path->penWidth * scaled.lineScale)));
    scaled.draw(painter, graph);
    painter.setPen(Qt::black);
    painter.drawText(QRect(page.left(), graph.bottom() + 1 + fm.height() / 4, page.width(), fm.height()),
                     Qt::AlignHCenter | Qt::AlignTop, QString::fromUtf8(DhmSourceLine));
    painter.end();
}
