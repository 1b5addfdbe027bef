#include "MapSequence.h"

#include "MainMapModule.h"
#include "MainWindow.h"
#include "MediumPath.h"
#include "ModulBasis.h"
#include "ModularAction.h"
#include "Paths.h"
#include "PlatformDialogs.h"

namespace Modul::Kartenfolge {

namespace {

OverviewHandler& overviewHandler() {
    static OverviewHandler handler;
    return handler;
}

constexpr uint32_t WindowClientPoint = 0xC001;

QWidget* dialogParent() {
    Modul::Basis* basis = Modul::Basis::instance();
    return basis ? basis->mainWindow() : nullptr;
}

} // namespace

QString ResolvedPath(const Info& entry) {
    const QString& name = entry.mapFile;
    if (name.startsWith(QLatin1Char('\\')) || name.startsWith(QLatin1Char('/')) ||
        (name.size() >= 2 && name.at(1) == QLatin1Char(':')))
        return name;
    const QString directory = Singletons::Paths::instance().mapDirectory();
    // The medium may spell the map folder and the file in another case than
    // the table does.
    const QString onDisk = name.isEmpty() ? QString() : MediumPath::resolve(directory + name);
    return onDisk.isEmpty() ? directory + name : onDisk;
}

void SetOverviewHandler(OverviewHandler handler) {
    overviewHandler() = std::move(handler);
}

void NotifyOverview(const Info& entry) {
    if (const OverviewHandler& handler = overviewHandler())
        handler(entry.overviewMapFile, entry.values[0]);
}

// --- Sequence ---

Sequence::Sequence() = default;
Sequence::~Sequence() = default;

void Sequence::AddEntry(const Info& entry) {
    m_actions.push_back(std::make_unique<TMapSelectAction>(entry));
}

void Sequence::Start(int n) {
    if (m_actions.empty())
        return;
    // Without the application object there is no menu to place them in.
    if (Modul::Basis::instance() != nullptr) {
        for (const auto& action : m_actions)
            registerAction(action.get());
    }
    if (n < 1 || n > Count())
        n = 1;
    m_actions[size_t(n - 1)]->select(false);
    // A damaged or missing map must not leave the user with an empty window:
    // the next map that opens is shown instead (each failure was reported).
    for (int k = 1; k < Count() && CurrentMapNumber() == 0; ++k)
        m_actions[size_t((n - 1 + k) % Count())]->select(false);
}

int Sequence::CurrentMapNumber() const {
    const MainMapModule* module = MainMapModule::instance();
    if (module == nullptr)
        return 0;
    const QString shown = module->MapPath();
    if (shown.isEmpty())
        return 0;
    for (size_t i = 0; i < m_actions.size(); ++i) {
        if (ResolvedPath(m_actions[i]->entry()) == shown)
            return int(i) + 1;
    }
    return 0;
}

void Sequence::SelectMap(int n) {
    if (TMapSelectAction* action = Action(n))
        action->execute();
}

const Info* Sequence::Entry(int n) const {
    const TMapSelectAction* action = Action(n);
    return action ? &action->entry() : nullptr;
}

TMapSelectAction* Sequence::Action(int n) const {
    if (n < 1 || n > Count())
        return nullptr;
    return m_actions[size_t(n - 1)].get();
}

bool Sequence::ShowPlaceOnSomeMap(const Coord& position, const QString& caption, const QString& name,
                                  const QString& nameInSentence) {
    MainMapModule* module = MainMapModule::instance();
    if (module == nullptr)
        return false;
    int i = CurrentMapNumber();
    if (i == 0)
        i = Count() + 1;
    bool asked = false;
    for (;;) {
        Coord point{};
        point.type = WindowClientPoint;
        point.zone = 0;
        if (module->TransformEx(position, point) == 0)
            return true;
        if (!asked) {
            asked = true;
            const QString question = name +
                                     QStringLiteral(" ist in der aktuellen Karte nicht enthalten.\nWollen Sie ") +
                                     nameInSentence + QStringLiteral(" auf einer anderen Karte sehen?");
            if (Platform::dialogs().messageBox(dialogParent(), question, caption, Platform::MsgButtons::YesNo,
                                               Platform::MsgIcon::Question) != Platform::MsgResult::Yes)
                return false;
        }
        --i;
        if (i <= 0) {
            Platform::dialogs().messageBox(dialogParent(),
                                           name + QStringLiteral(" scheint in keiner Karte enthalten zu sein. Sorry!"),
                                           caption, Platform::MsgButtons::Ok, Platform::MsgIcon::Information);
            return false;
        }
        SelectMap(i);
    }
}

// --- the module's sequence ---

Sequence* Instance() {
    MainMapModule* module = MainMapModule::instance();
    return module ? &module->Sequence() : nullptr;
}

void AddEntry(const Info& entry) {
    if (Sequence* sequence = Instance())
        sequence->AddEntry(entry);
}

void Start(int n) {
    if (Sequence* sequence = Instance())
        sequence->Start(n);
}

int Count() {
    const Sequence* sequence = Instance();
    return sequence ? sequence->Count() : 0;
}

int CurrentMapNumber() {
    const Sequence* sequence = Instance();
    return sequence ? sequence->CurrentMapNumber() : 0;
}

void SelectMap(int n) {
    if (Sequence* sequence = Instance())
        sequence->SelectMap(n);
}

bool ShowPlaceOnSomeMap(const Coord& position, const QString& caption, const QString& name,
                        const QString& nameInSentence) {
    Sequence* sequence = Instance();
    return sequence != nullptr && sequence->ShowPlaceOnSomeMap(position, caption, name, nameInSentence);
}

} // namespace Modul::Kartenfolge
