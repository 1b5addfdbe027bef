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

bool writeBitmap(const QString& path, int width, int height, QColor colour = Qt::red) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image.save(path, "BMP");
}

// A symbol directory of its own for each test; the directory set is read
// again from it.
class IconTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        symbols = dir.filePath("SYMBOLE") + "/";
        QDir().mkpath(symbols);
        Singletons::Paths::instance().setSymbolDirectoryOverride(symbols);
        Set::FromPath::reload();
    }
    void TearDown() override {
        Singletons::Paths::instance().clearSymbolDirectoryOverride();
        Set::FromPath::reload();
    }

    QTemporaryDir dir;
    QString symbols;
};

} // namespace

TEST(IconSet, LooksUpNamesWithoutRegardToCase) {
    Set::IndexedSet set;
    const char* names[] = {"Zelt.bmp", "burg.bmp", "Ähre.bmp", "001Museum.BMP", "kirche.bmp"};
    for (const char* name : names)
        set.add(std::make_unique<PseudoSI>(QString::fromUtf8(name)));
    EXPECT_EQ(set.count(), 5);
    EXPECT_EQ(set.at(0)->name(), QString("Zelt.bmp")) << "insertion order";
    EXPECT_EQ(set.at(5), nullptr);
    EXPECT_EQ(set.at(-1), nullptr);
    for (const char* name : names) {
        const QString n = QString::fromUtf8(name);
        EXPECT_EQ(set.byName(n.toUpper()), set.at(set.indexOf(set.byName(n)))) << name;
        ASSERT_NE(set.byName(n.toLower()), nullptr) << name;
        EXPECT_EQ(set.byName(n.toLower())->name(), n);
    }
    EXPECT_EQ(set.byName("BURG.BMP")->name(), QString("burg.bmp"));
    EXPECT_EQ(set.byName("burg"), nullptr);
    EXPECT_EQ(set.byName(""), nullptr);
    set.add(std::make_unique<PseudoSI>("BURG.bmp"));
    EXPECT_EQ(set.byName("burg.BMP")->name(), QString("burg.bmp")) << "a second icon of the name: the first is found";
}

TEST(IconNames, DisplayNames) {
    EXPECT_EQ(displayName(nullptr), QString());
    const struct {
        const char* name;
        const char* shown;
    } cases[] = {
        {"012Burg.bmp", "Burg"},
        {"Burg.bmp", "Burg"},
        {"12.bmp", ""},
        {"Burg", "Burg"},
        {"a.b.bmp", "a.b"},
        {"C:\\Bilder\\7Burg.bmp", "C:\\Bilder\\7Burg.bmp"},
        {"/home/u/7Burg.bmp", "/home/u/7Burg.bmp"},
    };
    for (const auto& c : cases) {
        PseudoSI icon(c.name);
        EXPECT_EQ(displayName(&icon), QString(c.shown)) << c.name;
    }
}

TEST(IconPlaceholder, FramedQuestionMark) {
    PseudoSI a("fehlt.bmp");
    PseudoSI b("auch.bmp");
    ASSERT_NE(a.picture(), nullptr);
    EXPECT_EQ(a.picture(), b.picture()) << "one picture for all placeholders";
    const QImage& p = *a.picture();
    EXPECT_EQ(p.size(), QSize(32, 32));
    // A pen of width 3 centred on the edges at 1 and 30.
    for (int x : {0, 1, 2, 29, 30, 31})
        EXPECT_EQ(p.pixel(x, 16), qRgb(0, 0, 0)) << "frame at " << x;
    for (int x : {3, 28})
        EXPECT_EQ(p.pixel(x, 4), qRgb(255, 255, 255)) << "inside at " << x;
    EXPECT_EQ(p.pixel(5, 5), qRgb(255, 255, 255));
    int ink = 0;
    for (int y = 6; y < 26; ++y)
        for (int x = 6; x < 26; ++x)
            ink += p.pixel(x, y) != qRgb(255, 255, 255);
    EXPECT_GT(ink, 5) << "the question mark";
}

TEST_F(IconTest, SizeLimitAndTheSymbolDirectory) {
    ASSERT_TRUE(writeBitmap(symbols + "010Burg.bmp", 20, 16));
    ASSERT_TRUE(writeBitmap(symbols + "breit.bmp", 65, 10));
    ASSERT_TRUE(writeBitmap(symbols + "hoch.bmp", 10, 65));
    ASSERT_TRUE(writeBitmap(symbols + "gross.bmp", 64, 64));
    ASSERT_TRUE(writeBitmap(symbols + ".versteckt.bmp", 8, 8));
    QFile text(symbols + "liesmich.txt");
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("kein Bild");
    text.close();

    EXPECT_EQ(loadIcon(symbols, "breit.bmp"), nullptr) << "65 x 10 refused";
    EXPECT_EQ(loadIcon(symbols, "hoch.bmp"), nullptr) << "10 x 65 refused";
    std::unique_ptr<DefaultSI> big = loadIcon(symbols, "gross.bmp");
    ASSERT_NE(big, nullptr) << "64 x 64 accepted";
    EXPECT_EQ(big->name(), QString("gross.bmp"));
    EXPECT_EQ(big->picture()->size(), QSize(64, 64));
    EXPECT_EQ(loadIcon(symbols, "fehlt.bmp"), nullptr);

    EXPECT_EQ(iconCount(), 2) << "refused, hidden and unreadable files are left out";
    EXPECT_EQ(iconAt(0)->name(), QString("010Burg.bmp"));
    EXPECT_EQ(iconAt(1)->name(), QString("gross.bmp"));
    EXPECT_EQ(iconAt(2), nullptr);
    EXPECT_EQ(iconByName("010BURG.BMP"), iconAt(0)) << "extension in capitals";

    // Resolving names of an overlay file.
    EXPECT_EQ(resolveIcon("Gross.BMP", true), iconAt(1));
    ASSERT_TRUE(writeBitmap(dir.filePath("eigen.bmp"), 12, 12));
    AbstractSI* own = resolveIcon(dir.filePath("eigen.bmp"), true);
    ASSERT_NE(own, nullptr) << "a full path of an existing bitmap";
    EXPECT_NE(dynamic_cast<DefaultSI*>(own), nullptr);
    EXPECT_EQ(iconCount(), 3) << "added to the grid's set";
    EXPECT_EQ(iconAt(2), own);
    EXPECT_EQ(resolveIcon(dir.filePath("eigen.bmp"), true), own) << "found by name the next time";

    EXPECT_EQ(resolveIcon("verloren.bmp", false), nullptr);
    AbstractSI* placeholder = resolveIcon("verloren.bmp", true);
    ASSERT_NE(dynamic_cast<PseudoSI*>(placeholder), nullptr);
    EXPECT_EQ(placeholder->name(), QString("verloren.bmp")) << "the name survives";
    EXPECT_EQ(resolveIcon("VERLOREN.bmp", false), placeholder) << "made once";
    EXPECT_EQ(iconCount(), 3) << "placeholders are not in the grid";
    EXPECT_EQ(resolveIcon(symbols + "breit.bmp", true)->picture(), &PseudoSI::placeholderPicture())
        << "a path to a picture too large gets a placeholder";
}

TEST_F(IconTest, GridLayoutHintsAndSelection) {
    ASSERT_TRUE(writeBitmap(symbols + "1a.bmp", 20, 16));
    ASSERT_TRUE(writeBitmap(symbols + "2b.bmp", 32, 30));
    ASSERT_TRUE(writeBitmap(symbols + "3c.bmp", 8, 40));
    QTableWidget grid;
    grid.resize(200, 200);
    grid.show();
    AbstractSI* selected = nullptr;
    SymbolIcon::VCL::GridPeer peer(grid, [&](AbstractSI* icon) { selected = icon; });
    peer.layout();
    EXPECT_EQ(grid.horizontalHeader()->defaultSectionSize(), 42) << "widest picture + 10";
    EXPECT_EQ(grid.verticalHeader()->defaultSectionSize(), 50) << "highest picture + 10";
    const int columns = grid.viewport()->width() / 42;
    EXPECT_EQ(peer.columnCount(), std::max(1, columns));
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
    EXPECT_EQ(Peer::refusedMessage(3, 2), "Einige der gewählten Bilder konnte" + ending);
    EXPECT_EQ(Peer::refusedMessage(3, 0), QString());

    ASSERT_TRUE(writeBitmap(dir.filePath("gut.bmp"), 16, 16));
    ASSERT_TRUE(writeBitmap(dir.filePath("zu-gross.bmp"), 65, 10));
    QFile broken(dir.filePath("kaputt.bmp"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("BM kein Bild");
    broken.close();

    Platform::ScriptedDialogs dialogs;
    QTableWidget grid;
    Peer peer(grid, {});
    dialogs.openAnswers = {{dir.filePath("gut.bmp"), dir.filePath("zu-gross.bmp"), dir.filePath("kaputt.bmp")}};
    EXPECT_EQ(peer.addPictures(&grid), 2);
    ASSERT_EQ(dialogs.fileRequests.size(), 1);
    EXPECT_TRUE(dialogs.fileRequests[0].multiple);
    EXPECT_EQ(dialogs.fileRequests[0].filter, QString("Bitmap-Dateien (*.bmp)"));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].text, "Einige der gewählten Bilder konnte" + ending);
    EXPECT_EQ(dialogs.messages[0].caption, QString("Bildsymbol(e) hinzufügen"));
    EXPECT_EQ(dialogs.messages[0].icon, Platform::MsgIcon::Error);
    EXPECT_EQ(iconCount(), 1);
    EXPECT_EQ(iconAt(0)->name(), dir.filePath("gut.bmp")) << "named by its full path";
    EXPECT_EQ(grid.rowCount(), 1) << "the grid shows it";

    dialogs.openAnswers = {{dir.filePath("gut.bmp")}};
    EXPECT_EQ(peer.addPictures(&grid), 0);
    EXPECT_EQ(dialogs.messages.size(), 1) << "no message when all were added";
    EXPECT_EQ(peer.addPictures(&grid), 0) << "cancelled";
}
