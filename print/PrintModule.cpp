#include "PrintModule.h"

#include "MainWindow.h"
#include "MapSequence.h"
#include "MapWindowModule.h"
#include "ModulBasis.h"
#include "ModularAction.h"
#include "PlatformDialogs.h"
#include "PrintMapWindowDialog.h"
#include "PrintObject.h"
#include "StartupSequence.h"

#include <QApplication>

namespace {

PrintModule* g_instance = nullptr;

QWidget* mainWindowWidget() {
    Modul::Basis* basis = Modul::Basis::instance();
    return basis ? basis->mainWindow() : nullptr;
}

} // namespace

// --- PrintMapWindowListener ---

PrintMapWindowListener::~PrintMapWindowListener() = default;

QWidget* PrintMapWindowListener::ExtraDialogPanel(TPrintMapWindowDialog&) {
    return nullptr;
}

void PrintMapWindowListener::BeforePrinting(PrintObject&) {}

void PrintMapWindowListener::PagePrinted(QPainter&, const QRect&) {}

void PrintMapWindowListener::AfterPrinting(QPainter&) {}

// --- PrintModule ---

PrintModule::PrintModule() {
    if (g_instance == nullptr)
        g_instance = this;
}

PrintModule::~PrintModule() {
    if (g_instance == this)
        g_instance = nullptr;
}

PrintModule* PrintModule::instance() {
    return g_instance;
}

QString PrintModule::MenuPath() const {
    return OwnMenu ? QStringLiteral("&Drucken|&Karte...") : QStringLiteral("&Karte|(CAT_PRINT)|Drucken");
}

std::int32_t PrintModule::InitialScale() const {
    const Modul::Kartenfolge::Sequence* sequence = Modul::Kartenfolge::Instance();
    if (sequence != nullptr) {
        if (const Modul::Kartenfolge::Info* entry = sequence->Entry(sequence->CurrentMapNumber())) {
            if (entry->values[1] != 0)
                return entry->values[1];
        }
    }
    return DefaultScale;
}

QString PrintModule::MarginText(const QString& subTitle) const {
    return (RightsLine + QLatin1Char('\n') + subTitle).trimmed();
}

bool PrintModule::Print() {
    if (MapWindowModule* maps = MapWindowModule::instance())
        maps->ShowMapPage();
    if (Listener != nullptr && !Listener->MayPrint())
        return false;

    QWidget* owner = mainWindowWidget();
    TPrintMapWindowDialog dialog(*this, owner);
    if (Listener != nullptr)
        dialog.AddPanel(Listener->ExtraDialogPanel(dialog));
    if (!dialog.SetUp(InitialScale()))
        return true;
    if (dialog.exec() != QDialog::Accepted)
        return true;

    SubTitle = dialog.SubTitle();
    PrintObject print(*this, dialog.ChosenScale(), dialog.ScaleBar());
    print.MarginText = MarginText(SubTitle);
    if (!print.ShowPrintDialog(owner))
        return true;
    if (!print.Print()) {
        // Nothing came out of the printer: the user must not take it for printed.
        Platform::dialogs().messageBox(owner, QStringLiteral("Die Karte konnte nicht gedruckt werden."),
                                       QStringLiteral("Fehler beim Drucken"), Platform::MsgButtons::Ok,
                                       Platform::MsgIcon::Error);
    }
    return true;
}

namespace {

const Startup::Registration moduleRegistration(Startup::PrintModule, "print module", [](Startup::Context& context) {
    static PrintModule module;
    // The first line of the program's rights notice names the holder of the map data.
    module.RightsLine = context.basis.copyrightText().section(QLatin1Char('\n'), 0, 0).trimmed();
    module.SubTitle.clear();
    module.PaperWidth = 297;
    module.PaperHeight = 210;
    module.ContentModeAllowed = true;
    module.ScaleModeAllowed = true;
    module.DefaultScale = 25000;
    module.MinScale = 0;
    module.MaxScale = 2147483647;
    module.ScaleBarDefault = true;
    module.ScaleBarOptionShown = true;
    module.SubTitleShown = true;
    module.OwnMenu = false;
});

const Startup::Registration actionRegistration(Startup::PrintAction, "print action", [](Startup::Context& context) {
    PrintModule* module = PrintModule::instance();
    if (module == nullptr)
        return;
    auto* action = new TModularFunctionAction([module] { module->Print(); }, &context.mainWindow);
    action->setMenuPath(module->MenuPath());
    registerAction(action);
});

} // namespace
