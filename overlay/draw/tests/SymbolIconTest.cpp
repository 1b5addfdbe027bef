#include "SymbolIcon.h"
#include "Paths.h"
#include "ScriptedDialogs.h"
#include "SymbolIconGridPeer.h"

#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QTableWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace SymbolIcon;

namespace {

// A symbol directory of its own for each test; the directory set is read
// again from it.
class IconTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QDir().mkpath(symbols);
        Singletons::Paths::instance().setSymbolDirectoryOverride(symbols);
        Set::FromPath::reload();
    }
    void TearDown() override {
        Singletons::Paths::instance().clearSymbolDirectoryOverride();
        Set::FromPath::reload();
    }
    static bool writeBitmap(const QString& path, int width, int height) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::red);
        return image.save(path, "BMP");
    }

    QTemporaryDir dir;
    const QString symbols = dir.filePath("SYMBOLE") + "/";
};

} // namespace

TEST(IconSet, NamesWithoutRegardToCaseShownWithoutNumbersAndThePlaceholder) {
    Set::IndexedSet set;
    const QStringList names{"Zelt.bmp", "burg.bmp", "Ähre.bmp", "001Museum.BMP"};
    for (const QString& name : names)
        set.add(std::make_unique<PseudoSI>(name));
    EXPECT_EQ(set.at(0)->name(), QString("Zelt.bmp")) << "insertion order";
    EXPECT_TRUE(set.at(4) == nullptr && set.at(-1) == nullptr);
    for (const QString& name : names) {
        ASSERT_NE(set.byName(name.toLower()), nullptr) << name.toStdString();
        EXPECT_EQ(set.byName(name.toLower())->name(), name);
        EXPECT_EQ(set.byName(name.toUpper()), set.at(set.indexOf(set.byName(name))));
    }
    EXPECT_TRUE(set.byName("burg") == nullptr && set.byName("") == nullptr);
    set.add(std::make_unique<PseudoSI>("BURG.bmp"));
    EXPECT_EQ(set.byName("burg.BMP")->name(), QString("burg.bmp")) << "of two icons of the name the first is found";

    EXPECT_EQ(displayName(nullptr), QString());
    const QStringList files{"012Burg.bmp", "Burg.bmp", "12.bmp", "Burg", "a.b.bmp", "C:\\7Burg.bmp", "/home/7Burg.bmp"};
    const QStringList shown{"Burg", "Burg", "", "Burg", "a.b", "C:\\7Burg.bmp", "/home/7Burg.bmp"};
    for (int i = 0; i < files.size(); ++i)
        EXPECT_EQ(displayName(std::make_unique<PseudoSI>(files[i]).get()), shown[i]) << files[i].toStdString();

    // A placeholder: one picture for all, a frame of width 3 centred on the edges at 1 and 30, a question mark.
    const QImage* p = PseudoSI("fehlt.bmp").picture();
    ASSERT_TRUE(p != nullptr && p == PseudoSI("auch.bmp").picture());
    EXPECT_EQ(p->size(), QSize(32, 32));
    for (int x : {0, 1, 2, 29, 30, 31})
        EXPECT_TRUE(p->pixel(x, 16) == qRgb(0, 0, 0) && p->pixel(16, x) == qRgb(0, 0, 0)) << "frame at " << x;
    int ink = 0;
    for (int y = 3; y < 29; ++y)
        for (int x = 3; x < 29; ++x)
            ink += p->pixel(x, y) != qRgb(255, 255, 255);
    EXPECT_GT(ink, 5);
    EXPECT_TRUE(p->pixel(3, 4) == qRgb(255, 255, 255) && p->pixel(28, 4) == qRgb(255, 255, 255));
}

TEST_F(IconTest, SizeLimitTheSymbolDirectoryAndOverlayNames) {
    const QStringList files{"010Burg.bmp", "breit.bmp", "hoch.bmp", "gross.bmp", ".versteckt.bmp"};
    const QSize sizes[] = {{20, 16}, {65, 10}, {10, 65}, {64, 64}, {8, 8}};
    for (int i = 0; i < files.size(); ++i)
        ASSERT_TRUE(writeBitmap(symbols + files[i], sizes[i].width(), sizes[i].height()));
    QFile text(symbols + "liesmich.txt");
    ASSERT_TRUE(text.open(QIODevice::WriteOnly) && text.write("kein Bild") > 0);
    text.close();

    EXPECT_EQ(loadIcon(symbols, "breit.bmp"), nullptr) << "65 x 10 refused";
    EXPECT_EQ(loadIcon(symbols, "hoch.bmp"), nullptr) << "10 x 65 refused";
    EXPECT_EQ(loadIcon(symbols, "fehlt.bmp"), nullptr);
    std::unique_ptr<DefaultSI> big = loadIcon(symbols, "gross.bmp");
    ASSERT_NE(big, nullptr) << "64 x 64 accepted";
    EXPECT_EQ(big->picture()->size(), QSize(64, 64));
    ASSERT_EQ(iconCount(), 2) << "refused, hidden and unreadable files are left out";
    EXPECT_EQ(iconAt(0)->name(), QString("010Burg.bmp"));
    EXPECT_TRUE(iconAt(1)->name() == "gross.bmp" && iconAt(2) == nullptr);
    EXPECT_EQ(iconByName("010BURG.BMP"), iconAt(0)) << "extension in capitals";

    // Names of an overlay file: found in any case, a full path is loaded and added, the rest a placeholder.
    EXPECT_EQ(resolveIcon("Gross.BMP", true), iconAt(1));
    ASSERT_TRUE(writeBitmap(dir.filePath("eigen.bmp"), 12, 12));
    AbstractSI* own = resolveIcon(dir.filePath("eigen.bmp"), true);
    ASSERT_NE(dynamic_cast<DefaultSI*>(own), nullptr) << "a full path of an existing bitmap";
    EXPECT_EQ(iconAt(2), own) << "added to the grid's set";
    EXPECT_EQ(resolveIcon(dir.filePath("eigen.bmp"), true), own) << "found by name the next time";
    EXPECT_EQ(resolveIcon("verloren.bmp", false), nullptr);
    AbstractSI* placeholder = resolveIcon("verloren.bmp", true);
    ASSERT_NE(dynamic_cast<PseudoSI*>(placeholder), nullptr);
    EXPECT_EQ(placeholder->name(), QString("verloren.bmp")) << "the name survives";
    EXPECT_EQ(resolveIcon("VERLOREN.bmp", false), placeholder) << "made once";
    EXPECT_EQ(resolveIcon(symbols + "breit.bmp", true)->picture(), &PseudoSI::placeholderPicture()) << "too large";
    EXPECT_EQ(iconCount(), 3) << "placeholders are not in the grid";
}

TEST_F(IconTest, GridLayoutHintsAndSelection) {
    ASSERT_TRUE(writeBitmap(symbols + "1a.bmp", 20, 16) && writeBitmap(symbols + "2b.bmp", 32, 30) &&
                writeBitmap(symbols + "3c.bmp", 8, 40));
    QTableWidget grid;
    grid.resize(200, 200);
    grid.show();
    AbstractSI* selected = nullptr;
    SymbolIcon::VCL::GridPeer peer(grid, [&](AbstractSI* icon) { selected = icon; });
    peer.layout();
    EXPECT_EQ(grid.horizontalHeader()->defaultSectionSize(), 42) << "widest picture + 10";
    EXPECT_EQ(grid.verticalHeader()->defaultSectionSize(), 50) << "highest picture + 10";
    EXPECT_EQ(peer.columnCount(), std::max(1, grid.viewport()->width() / 42));
    EXPECT_EQ(grid.rowCount(), (3 + peer.columnCount() - 1) / peer.columnCount());
    EXPECT_EQ(grid.item(0, 1)->toolTip(), QString("b")) << "the display name as hint";
    grid.setCurrentCell(0, 2);
    EXPECT_EQ(selected, iconAt(2));

    grid.resize(60, 200);
    peer.layout();
    EXPECT_EQ(peer.columnCount(), 1) << "at least one column";
    EXPECT_EQ(grid.rowCount(), 3);
    EXPECT_EQ(grid.currentRow(), 2) << "the selected icon stays selected";
    EXPECT_EQ(peer.iconAt(3, 0), nullptr) << "beyond the last icon";
}

TEST_F(IconTest, AddingPicturesReportsRefusedOnes) {
    const QString ending = " nicht zur Liste hinzugefügt werden\nUrsache: falsches Bildformat oder Bild zu groß.";
    using Peer = SymbolIcon::VCL::GridPeer;
    EXPECT_EQ(Peer::refusedMessage(1, 1), "Das gewählte Bild konnte" + ending);
    EXPECT_EQ(Peer::refusedMessage(3, 1), "Eins der gewählten Bilder konnte" + ending);
    EXPECT_EQ(Peer::refusedMessage(2, 2), "Die gewählten Bilder konnten" + ending);
    EXPECT_EQ(Peer::refusedMessage(3, 0), QString());

    // Three files, two refused: one too large, one damaged.
    ASSERT_TRUE(writeBitmap(dir.filePath("gut.bmp"), 16, 16) && writeBitmap(dir.filePath("zu-gross.bmp"), 65, 10));
    QFile broken(dir.filePath("kaputt.bmp"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly) && broken.write("BM kein Bild") > 0);
    broken.close();
    Platform::ScriptedDialogs dialogs;
    QTableWidget grid;
    Peer peer(grid, {});
    dialogs.openAnswers = {{dir.filePath("gut.bmp"), dir.filePath("zu-gross.bmp"), dir.filePath("kaputt.bmp")},
                           {dir.filePath("gut.bmp")}};
    EXPECT_EQ(peer.addPictures(&grid), 2);
    ASSERT_TRUE(dialogs.fileRequests.size() == 1 && dialogs.messages.size() == 1);
    EXPECT_EQ(std::pair(dialogs.fileRequests[0].multiple, dialogs.fileRequests[0].filter),
              std::pair(true, QString("Bitmap-Dateien (*.bmp)")));
    EXPECT_EQ(std::tuple(dialogs.messages[0].text, dialogs.messages[0].caption, dialogs.messages[0].icon),
              std::tuple("Einige der gewählten Bilder konnte" + ending, QString("Bildsymbol(e) hinzufügen"),
                         Platform::MsgIcon::Error));
    ASSERT_EQ(iconCount(), 1);
    EXPECT_EQ(iconAt(0)->name(), dir.filePath("gut.bmp")) << "named by its full path";
    EXPECT_EQ(grid.rowCount(), 1) << "the grid shows it";

    EXPECT_EQ(peer.addPictures(&grid), 0);
    EXPECT_EQ(dialogs.messages.size(), 1) << "no message when all were added";
    EXPECT_EQ(peer.addPictures(&grid), 0) << "cancelled";
}
