#include "OverviewModule.h"

#include "MapSequence.h"
#include "MediumPath.h"
#include "OverviewTabCard.h"
#include "Paths.h"
#include "StartupSequence.h"

namespace {

OverviewModule*& theInstance() {
    static OverviewModule* module = nullptr;
    return module;
}

} // namespace

OverviewModule::OverviewModule()
    : m_page(false, QStringLiteral("Übersicht"), [this](QWidget* owner) { return createContent(owner); }) {
    theInstance() = this;
}

OverviewModule::~OverviewModule() {
    if (theInstance() == this)
        theInstance() = nullptr;
}

TOverviewTabCard* OverviewModule::Card() const {
    return m_card;
}

OverviewModule* OverviewModule::instance() {
    return theInstance();
}

QColor OverviewModule::colourOf(std::int32_t value) {
    const auto v = uint32_t(value);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

void OverviewModule::SetOverviewMap(const QString& fileName, std::int32_t frameColour) {
    m_fileName = fileName;
    m_colour = frameColour;
    apply();
}

void OverviewModule::apply() {
    if (m_card == nullptr || m_fileName.isEmpty())
        return;
    const QString path = Singletons::Paths::instance().mapDirectory() + m_fileName;
    // The medium may spell the file in another case than the map table does.
    const QString onDisk = MediumPath::resolve(path);
    m_card->SetOverviewMap(onDisk.isEmpty() ? path : onDisk, colourOf(m_colour));
}

QWidget* OverviewModule::createContent(QWidget* owner) {
    m_card = new TOverviewTabCard(owner);
    m_card->Update();
    apply();
    return m_card;
}

namespace {

const Startup::Registration step(Startup::OverviewModule, "overview", [](Startup::Context&) {
    // Lives until the process ends, as every module does.
    OverviewModule* module = OverviewModule::instance();
    if (module == nullptr)
        module = new OverviewModule;
    if (BaseDataPageManager* pages = BaseDataPageManager::instance())
        pages->addPage(&module->Page());
    Modul::Kartenfolge::SetOverviewHandler([](const QString& file, std::int32_t colour) {
        if (OverviewModule* overview = OverviewModule::instance())
            overview->SetOverviewMap(file, colour);
    });
});

} // namespace
