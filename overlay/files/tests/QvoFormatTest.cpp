#include "OverlayTestSupport.h"

#include "SymbolIcon.h"
#include "XML_Error.h"

#include <gtest/gtest.h>

using namespace OverlayTest;
using UserDraw::UD1_XML_TreeStreamTarget;

namespace {

struct FreshDefaults {
    FreshDefaults() {
        DefaultAppearances::reset();
        StdDrawStrategies::bindDefaultAppearances();
    }
    ~FreshDefaults() {
        DefaultAppearances::reset();
        StdDrawStrategies::bindDefaultAppearances();
    }
};

std::unique_ptr<QTreeWidgetItem> newRoot() {
    auto root = std::make_unique<QTreeWidgetItem>();
    root->setText(0, QStringLiteral("Alle Zeichnungselemente"));
    return root;
}

// The first element read from a document holding one record in the root.
struct ReadOne {
    std::unique_ptr<QTreeWidgetItem> root = newRoot();
    bool ok = false;
    explicit ReadOne(const std::string& body) { ok = readTree(overlay(body), root.get()); }
    DrawTreeObject* object() const { return root->childCount() ? objectOf(root->child(0)) : nullptr; }
};

const std::string DefaultsXml =
    "<DefaultSettings>"
    "<Symbol Name=\"\"><SymData Sides=\"4\" Length=\"10.000000\"/>"
    "<LineData Width=\"3\" Style=\"0\" Color=\"#FF00FF\"/><FillData Style=\"7\" Color=\"#800080\"/><Points/></Symbol>"
    "<LineArea Name=\"\"><SymData Sides=\"4\" Length=\"10.000000\"/>"
    "<LineData Width=\"3\" Style=\"0\" Color=\"#FF00FF\"/><FillData Style=\"7\" Color=\"#800080\"/><Points/>"
    "</LineArea>"
    "<Text Name=\"\"><SymData Sides=\"4\" Length=\"10.000000\"/><TextLines/>"
    "<LineData Width=\"3\" Style=\"0\" Color=\"#FF00FF\"/><FillData Style=\"0\" Color=\"#FFFFFF\"/><Points/></Text>"
    "</DefaultSettings>";

} // namespace

TEST(QvoWriter, EmptyTreeIsRootDefaultsAndColoursAndReadsBackEmptyWithTheStoredDefaults) {
    FreshDefaults fresh;
    auto root = newRoot();
    FixedColours colours;
    colours.text = QStringLiteral("ColorA=FFFFFF,ColorB=00FF80");
    const std::string written = writeTree(root.get(), &colours);
    EXPECT_EQ(written, overlay(DefaultsXml + "<DefaultColors>ColorA=FFFFFF,ColorB=00FF80</DefaultColors>"));
    EXPECT_EQ(writeTree(root.get(), nullptr), overlay(DefaultsXml)) << "no colour list, no DefaultColors";

    // Stored defaults differ from the current ones: reading brings them back.
    DefaultAppearances::record(1).lineWidth = 9;
    DefaultAppearances::record(2).text = QStringLiteral("x");
    const std::string changed = writeTree(root.get(), &colours);
    DefaultAppearances::reset();
    StdDrawStrategies::bindDefaultAppearances();
    FixedColours readColours;
    auto back = newRoot();
    ASSERT_TRUE(readTree(changed, back.get(), &readColours));
    EXPECT_EQ(back->childCount(), 0);
    EXPECT_EQ(DefaultAppearances::record(1).lineWidth, 9);
    EXPECT_EQ(DefaultAppearances::record(2).text, QStringLiteral("x"));
    EXPECT_EQ(DefaultAppearances::record(2).strategy, &StdDrawTextStrategy::instance());
    EXPECT_EQ(readColours.text, colours.text);
}

TEST(QvoRoundTrip, EveryElementKindAndPropertySurvives) {
    FreshDefaults fresh;
    SymbolIcon::AbstractSI* icon =
        SymbolIcon::Set::FromPathAndPseudo::instance().add(std::make_unique<SymbolIcon::PseudoSI>("012Burg.bmp"));
    auto root = newRoot();
    QTreeWidgetItem* outer = addFolder(root.get(), QStringLiteral("Wanderung Süd & <Nord>"));
    QTreeWidgetItem* inner = addFolder(outer, QStringLiteral("\"leer\""));
    (void)inner;

    StdDrawAppearance circle = appearanceOf(StdDrawSymbolStrategy::instance());
    circle.sides = 0;
    circle.length = 12.25;
    circle.lengthInMetres = true;
    circle.lineWidth = 5;
    circle.lineStyle = 2;
    circle.lineColor = 0x123456;
    circle.fillStyle = 4;
    circle.fillColor = 0xABCDEF;
    circle.hasBackColor = true;
    circle.backColor = 0x0000FF;
    addElement(outer, circle, {point(1, 5400123.5, 3512345.25, 3)}, QStringLiteral("Kreis"));

    StdDrawAppearance area = appearanceOf(StdDrawLineAreaStrategy::instance());
    area.lineStyle = 6;
    area.fillStyle = 1;
    addElement(root.get(), area,
               {point(1, 5400000, 3500000, 3), point(1, 5400100, 3500000, 3), point(1, 5400100, 3500100, 3)},
               QStringLiteral("Fläche"), true);
    addElement(root.get(), appearanceOf(StdDrawLineAreaStrategy::instance()),
               {point(3, 7.5, 48.25), point(3, 7.75, 48.5)}, QString());

    StdDrawAppearance picture = appearanceOf(StdDrawBitmapIconStrategy::instance());
    picture.icon = icon;
    addElement(root.get(), picture, {point(2, 8.125, 49.0625)}, QStringLiteral("Burg"));
    StdDrawAppearance noPicture = appearanceOf(StdDrawBitmapIconStrategy::instance());
    addElement(root.get(), noPicture, {point(2, 8.5, 49.5)}, QStringLiteral("ohne Bild"));

    StdDrawAppearance text = appearanceOf(StdDrawTextStrategy::instance());
    text.text = QStringLiteral("Erste Zeile\n\nDritte: 1 < 2 & 'x'");
    addElement(root.get(), text, {point(1, 5401000, 3501000, 3)}, QStringLiteral("Text"));

    const std::string written = writeTree(root.get());
    EXPECT_NE(written.find("<Icon Name=\"012Burg.bmp\"/>"), std::string::npos);
    EXPECT_EQ(written.find("\n", header().size()), std::string::npos) << "no line breaks after the declaration";

    // Every property the writer stores must come back: a reader that drops
    // one gives a different second file. A few are looked at directly, in
    // case writer and reader agree on something wrong.
    auto back = newRoot();
    ASSERT_TRUE(readTree(written, back.get()));
    EXPECT_EQ(writeTree(back.get()), written) << "tree -> file -> tree -> file is stable";
    ASSERT_EQ(back->childCount(), 6);
    QTreeWidgetItem* folder = back->child(0);
    ASSERT_TRUE(isFolder(folder) && folder->childCount() == 2 && isFolder(folder->child(0)));
    EXPECT_EQ(folder->text(0), QStringLiteral("Wanderung Süd & <Nord>"));
    const StdDrawAppearance& a = objectOf(folder->child(1))->appearance();
    EXPECT_TRUE(a.lengthInMetres && a.hasBackColor);
    EXPECT_EQ(a.lineColor, 0x123456u);
    const Coord& p = objectOf(folder->child(1))->geometry().points.front();
    EXPECT_EQ(p.zone, 3u);
    EXPECT_DOUBLE_EQ(p.x, 5400123.5);
    EXPECT_TRUE(objectOf(back->child(1))->geometry().closed());
    EXPECT_FALSE(objectOf(back->child(2))->geometry().closed());
    EXPECT_EQ(objectOf(back->child(3))->appearance().icon, icon) << "the icon is found again by its name";
    EXPECT_EQ(objectOf(back->child(4))->appearance().icon, nullptr);
    EXPECT_EQ(objectOf(back->child(5))->appearance().text, text.text);
}

TEST(QvoReader, PointsWithZeroValueOrTypeZeroAreDropped) {
    ReadOne one("<LineArea Name=\"l\"><Points>"
                "<Point Type=\"1\" SubType=\"3\" X=\"0\" Y=\"3500000\"/>"
                "<Point Type=\"1\" SubType=\"3\" X=\"5400000\" Y=\"0.0\"/>"
                "<Point Type=\"0\" SubType=\"3\" X=\"5400000\" Y=\"3500000\"/>"
                "<Point Type=\"zwei\" X=\"5400000\" Y=\"3500000\"/>"
                "<Point X=\"5400001\" Y=\"3500001\"/>"
                "<Point Type=\"3\" X=\"7.5\" Y=\"nan\"/>"
                "<Point Type=\"3\" X=\"kaputt\" Y=\"48\"/>"
                "</Points></LineArea>");
    ASSERT_TRUE(one.ok);
    ASSERT_NE(one.object(), nullptr);
    const auto& points = one.object()->geometry().points;
    ASSERT_EQ(points.size(), 1u) << "only the point without Type attribute (type 1 by default) stays";
    EXPECT_EQ(points.front().type, 1u);
    EXPECT_EQ(points.front().zone, 0u);
    EXPECT_DOUBLE_EQ(points.front().x, 5400001);
}

TEST(QvoReader, ClosePrefixInAnyCaseClosesThreePointsButNotTwo) {
    const std::string two = "<Point Type=\"3\" X=\"7.1\" Y=\"48.1\"/><Point Type=\"3\" X=\"7.2\" Y=\"48.1\"/>";
    const std::string three = two + "<Point Type=\"3\" X=\"7.2\" Y=\"48.2\"/>";
    const struct {
        const char* type;
        const std::string& points;
        bool closed;
    } cases[] = {{"CLOSEDAREA", three, true},
                 {"cLoSe", three, true},
                 {"CLOSE", two, false},
                 {"clos", three, false},
                 {"open", three, false}};
    for (const auto& c : cases)
        EXPECT_EQ(ReadOne(std::string("<LineArea><Points Type=\"") + c.type + "\">" + c.points + "</Points></LineArea>")
                      .object()
                      ->geometry()
                      .closed(),
                  c.closed)
            << c.type;
}

TEST(QvoReader, SymbolSizeForms) {
    // Unreadable or infinite sizes keep the default 10 and clear the metres flag.
    const struct {
        const char* symData;
        double length;
        bool metres;
        int sides;
    } cases[] = {{"Length=\"12.5m\"", 12.5, true, 4},
                 {"Length=\"7.25\" Unit=\"m\"", 7.25, true, 4},
                 {"Unit=\"m\" Length=\"breit\" Sides=\"x\"", 10.0, false, 4},
                 {"Length=\"m\" Sides=\"0\"", 10.0, false, 0},
                 {"Length=\"inf\"", 10.0, false, 4},
                 {"Length=\"3.5\" Unit=\"px\"", 3.5, false, 4}};
    for (const auto& c : cases) {
        ReadOne one(std::string("<Symbol><SymData ") + c.symData + "/></Symbol>");
        ASSERT_TRUE(one.ok);
        const StdDrawAppearance& a = one.object()->appearance();
        EXPECT_DOUBLE_EQ(a.length, c.length) << c.symData;
        EXPECT_EQ(a.lengthInMetres, c.metres) << c.symData;
        EXPECT_EQ(a.sides, c.sides) << c.symData;
    }
}

TEST(QvoReader, ColourAndStyleRules) {
    const auto fill = [](const std::string& attributes) {
        ReadOne one("<LineArea><FillData " + attributes + "/></LineArea>");
        EXPECT_TRUE(one.ok);
        return one.object()->appearance();
    };
    StdDrawAppearance a = fill("BackColor=\"#GG0011\"");
    EXPECT_TRUE(a.hasBackColor) << "a bad BackColor still sets the flag";
    EXPECT_EQ(a.backColor, StdDrawAppearance::White) << "and keeps the colour";

    a = fill("BackColor=\"#0a0B0c\" Color=\"102030\"");
    EXPECT_EQ(a.backColor, 0x0C0B0Au) << "red in the lowest byte";
    EXPECT_EQ(a.fillColor, StdDrawAppearance::Purple) << "a colour without # is ignored";

    a = fill("BackColor=\"#010203\" HasBackColor=\"0\"");
    EXPECT_FALSE(a.hasBackColor) << "other programs may store the flag apart";
    EXPECT_EQ(a.backColor, 0x030201u);

    a = fill("Color=\"#12345\" Style=\"viele\"");
    EXPECT_EQ(a.fillColor, StdDrawAppearance::Purple) << "five digits are no colour";
    EXPECT_EQ(a.fillStyle, 0) << "an unreadable style reads as 0";

    ReadOne line("<LineArea><LineData Width=\"x\" Style=\"2\" Color=\"#FFFFFF\"/></LineArea>");
    EXPECT_EQ(line.object()->appearance().lineWidth, 0);
    EXPECT_EQ(line.object()->appearance().lineStyle, 2);
    EXPECT_EQ(line.object()->appearance().lineColor, 0xFFFFFFu);
}

TEST(QvoReader, RecordsUnderDefaultSettingsReplaceTheDefaultsOfTheirKind) {
    FreshDefaults fresh;
    ReadOne one("<DefaultSettings>"
                "<BitmapIcon Name=\"weg\"><SymData Sides=\"0\" Length=\"33\"/><Points>"
                "<Point Type=\"3\" X=\"7\" Y=\"48\"/></Points></BitmapIcon>"
                "<Text><TextLines><TextLine>Vorgabe</TextLine></TextLines></Text>"
                "<Folder Name=\"nicht hier\"/>"
                "</DefaultSettings>");
    ASSERT_TRUE(one.ok);
    EXPECT_EQ(one.root->childCount(), 0) << "no element and no folder from the default settings";
    const StdDrawAppearance& record0 = DefaultAppearances::record(0);
    EXPECT_EQ(record0.strategy, &StdDrawBitmapIconStrategy::instance()) << "BitmapIcon replaces record 0";
    EXPECT_DOUBLE_EQ(record0.length, 33.0);
    EXPECT_EQ(DefaultAppearances::record(1).strategy, &StdDrawLineAreaStrategy::instance()) << "record 1 untouched";
    EXPECT_EQ(DefaultAppearances::record(2).text, QStringLiteral("Vorgabe"));
    EXPECT_EQ(DefaultAppearances::record(2).fillColor, StdDrawAppearance::Purple)
        << "the whole record is replaced, constructor defaults included";
}

TEST(QvoReader, RootTypeAndUnknownElements) {
    auto root = newRoot();
    // A wrong root, and a Type compared exactly, are refused as no drawing.
    for (const char* refused :
         {"<Overlay Type=\"Overlay\"/>", "<Quenvo Type=\"overlay\"><Folder Name=\"a\"/></Quenvo>"}) {
        try {
            readTree(header() + refused, root.get());
            ADD_FAILURE() << refused;
        } catch (const XML_Error& error) {
            EXPECT_EQ(error.code(), '?');
        }
    }
    EXPECT_EQ(root->childCount(), 0);
    EXPECT_TRUE(readTree(header() + "<Quenvo Type=\"Karte\"/>", root.get()))
        << "the wrong type stops only at the first child";
    EXPECT_TRUE(readTree(header() + "<Quenvo Type=\"Overlay\" Version=\"9.9\"/>", root.get()))
        << "the version is not checked";

    ReadOne skipped("<Ebene><Symbol Name=\"versteckt\"/><Folder/></Ebene>"
                    "<Symbol Name=\"s\" Farbe=\"rot\"><CustomAttributes><Attribute Name=\"a\"><Points/></Attribute>"
                    "</CustomAttributes><LimitMapScale Min=\"1\"/><Font Name=\"Arial\" Size=\"9\"/>"
                    "<Unbekannt><Point Type=\"3\" X=\"1\" Y=\"1\"/></Unbekannt>"
                    "<Points><Extra><Point Type=\"3\" X=\"2\" Y=\"2\"/></Extra>"
                    "<Point Type=\"3\" X=\"7.5\" Y=\"48.5\"><Sub/></Point></Points></Symbol>"
                    "<Point Type=\"3\" X=\"7\" Y=\"48\"/><TextLine>x</TextLine>");
    ASSERT_TRUE(skipped.ok);
    ASSERT_EQ(skipped.root->childCount(), 1) << "unknown elements are skipped with everything inside";
    EXPECT_EQ(skipped.root->child(0)->text(0), QStringLiteral("s"));
    EXPECT_EQ(skipped.object()->geometry().points.size(), 1u);

    auto unbalanced = newRoot();
    EXPECT_FALSE(readTree(header() + "<Quenvo Type=\"Overlay\"><Folder Name=\"a\">", unbalanced.get()))
        << "a file that ends inside its elements fails";
}

TEST(QvoTextLines, CarriageReturnsAreDroppedAndLinesJoinWithLineFeeds) {
    EXPECT_EQ(UserDraw::textLinesForFile(QStringLiteral("eins\r\nzwei")), QStringList({"eins", "zwei"}));
    EXPECT_EQ(UserDraw::textLinesForFile(QStringLiteral("eins\r\r\nzwei\r")), QStringList({"eins", "zwei\r"}))
        << "only a line that ended in a line feed loses its carriage returns";
    EXPECT_EQ(UserDraw::textLinesForFile(QStringLiteral("\n\nx\n")), QStringList({"", "", "x"}));

    auto root = newRoot();
    StdDrawAppearance text = appearanceOf(StdDrawTextStrategy::instance());
    text.text = QStringLiteral("Burg\r\nRuine");
    addElement(root.get(), text, {point(3, 7.5, 48.5)}, QStringLiteral("t"));
    StdDrawAppearance empty = appearanceOf(StdDrawTextStrategy::instance());
    addElement(root.get(), empty, {point(3, 7.5, 48.5)}, QStringLiteral("leer"));
    const std::string written = writeTree(root.get());
    EXPECT_NE(written.find("<TextLines><TextLine>Burg</TextLine><TextLine>Ruine</TextLine></TextLines>"),
              std::string::npos);
    EXPECT_NE(written.find("<Text Name=\"leer\"><SymData Sides=\"4\" Length=\"10.000000\"/><TextLines/>"),
              std::string::npos);
    auto back = newRoot();
    ASSERT_TRUE(readTree(written, back.get()));
    EXPECT_EQ(objectOf(back->child(0))->appearance().text, QStringLiteral("Burg\nRuine"));
    EXPECT_EQ(objectOf(back->child(1))->appearance().text, QString());
}

TEST(QvoReader, NamesAreWindows1252AndIconPathsToDevicesAreNotRead) {
    ReadOne one(std::string("<Folder Name=\"M\xFC") + "hle\"><BitmapIcon Name=\"Stra\xDF" +
                "e\"><Icon Name=\"/dev/zero\"/><Points><Point Type=\"3\" X=\"7\" Y=\"48\"/></Points></BitmapIcon>"
                "</Folder>");
    ASSERT_TRUE(one.ok);
    QTreeWidgetItem* folder = one.root->child(0);
    EXPECT_EQ(folder->text(0), QStringLiteral("Mühle"));
    ASSERT_EQ(folder->childCount(), 1);
    EXPECT_EQ(folder->child(0)->text(0), QStringLiteral("Straße"));
    const SymbolIcon::AbstractSI* icon = objectOf(folder->child(0))->appearance().icon;
    ASSERT_NE(icon, nullptr) << "a placeholder keeps the name";
    EXPECT_EQ(icon->name(), QStringLiteral("/dev/zero"));
    EXPECT_EQ(icon->picture(), &SymbolIcon::PseudoSI::placeholderPicture());
}
