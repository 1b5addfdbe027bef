#include "TopInfoModule.h"

#include "MapWindowModule.h"
#include "Paths.h"
#include "StartupSequence.h"
#include "TopInfoFrame.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace {

TopInfoModule* g_module = nullptr;

// The HDB files of the medium are scrambled with this code word.
const char* const Codeword = "Kennmark";

struct CategoryBitmap {
    const char* key;
    const char* resource;
};
const CategoryBitmap CategoryBitmaps[] = {
    {"1", "Modul_TopInfo_Sehensw"}, {"2", "Modul_TopInfo_JugHerb"}, {"3", "Modul_TopInfo_Museum"},
    {"4", "Modul_TopInfo_BurgS"},   {"5", "Modul_TopInfo_BewiHue"}, {"6", "Modul_TopInfo_Camping"},
};

const Startup::Registration step(Startup::PointsOfInterest, "points of interest", [](Startup::Context&) {
    if (g_module == nullptr)
        new TopInfoModule; // lives until the process ends
});

} // namespace

TTopInfoBrowser::TTopInfoBrowser(QWidget* parent) : QTextBrowser(parent) {
    setOpenLinks(true);
    setOpenExternalLinks(false);
}

bool TTopInfoBrowser::ShowFile(const QString& path) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    file.close();
    setSource(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()), QTextDocument::HtmlResource);
    return true;
}

TopInfoModule::TopInfoModule()
    : m_page(false, QStringLiteral("Tourist-Info")), m_infoPage(true, QStringLiteral("Information")) {
    g_module = this;
    m_page.creator = [this](QWidget* owner) { return CreateFrame(owner); };
    m_infoPage.creator = [this](QWidget* owner) {
        m_browser = new TTopInfoBrowser(owner);
        return m_browser;
    };
    m_infoPage.onShow = [this](QWidget*) {
        if (m_frame)
            m_frame->InfoPageShown();
    };
    if (BaseDataPageManager* manager = BaseDataPageManager::instance()) {
        manager->addPage(&m_page);
        manager->addPage(&m_infoPage);
    }
}

TopInfoModule::~TopInfoModule() {
    if (g_module == this)
        g_module = nullptr;
}

TopInfoModule* TopInfoModule::instance() {
    return g_module;
}

QWidget* TopInfoModule::CreateFrame(QWidget* owner) {
    auto* frame = new TTopInfoFrame(owner);
    m_frame = frame;
    const QString data = Singletons::Paths::instance().dataDirectory();
    frame->InfoDirectory = QDir(data).filePath(QStringLiteral("INFO"));
    frame->MapOrInfoPanel->setVisible(QFileInfo(frame->InfoDirectory).isDir());
    frame->BringToFront = [this] {
        if (BaseDataPageManager* manager = BaseDataPageManager::instance())
            manager->showPage(&m_page);
    };
    frame->ShowInfoPage = [this](bool info) {
        if (info) {
            if (BaseDataPageManager* manager = BaseDataPageManager::instance())
                manager->showPage(&m_infoPage);
        } else if (MapWindowModule* module = MapWindowModule::instance()) {
            module->ShowMapPage();
        }
    };
    frame->ShowInfoFile = [this](const QString& path) {
        if (m_browser == nullptr) {
            if (BaseDataPageManager* manager = BaseDataPageManager::instance())
                manager->showPage(&m_infoPage);
        }
        return m_browser != nullptr && m_browser->ShowFile(path);
    };
    for (const CategoryBitmap& category : CategoryBitmaps)
        frame->Layer().AddPainter(
            QString::fromLatin1(category.key),
            std::make_unique<TopInfoBitmapCatPainter>(frame, QString::fromLatin1(category.resource)));
    frame->SetDataSource(
        std::make_unique<TopInfoDataSource_HDB16>(data, QString::fromLatin1(BaseName), QString::fromLatin1(Codeword)));
    return frame;
}
