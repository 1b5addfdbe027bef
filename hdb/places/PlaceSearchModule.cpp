#include "ModulBasis.h"
#include "PlaceSearch.h"
#include "StartupSequence.h"

namespace {

PlaceSearchModule* g_module = nullptr;

const Startup::Registration step(Startup::PlaceSearch, "place search", [](Startup::Context&) {
    if (g_module == nullptr)
        new PlaceSearchModule; // lives until the process ends
});

} // namespace

PlaceSearchModule::PlaceSearchModule() : m_page(false, QStringLiteral("Gemeinden")) {
    g_module = this;
    m_page.creator = [this](QWidget* owner) {
        const QString root = Modul::Basis::instance() ? Modul::Basis::instance()->basePath() : QString();
        auto* card = new TOrteTabCard(owner, root, &m_marker, m_extensions, &m_listeners);
        m_card = card;
        return card;
    };
    m_marker.Attach();
    if (BaseDataPageManager* manager = BaseDataPageManager::instance())
        manager->addPage(&m_page);
}

PlaceSearchModule::~PlaceSearchModule() {
    m_marker.Detach();
    if (g_module == this)
        g_module = nullptr;
}

PlaceSearchModule* PlaceSearchModule::instance() {
    return g_module;
}
