// Turning typed text into the key of the place tables: capitals in
// Windows-1252, umlauts included, and both spellings of the sharp s.
#include "PlaceSearchKey.h"
#include "PlaceTables.h"
#include "THDBDataSet.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using PlaceTables::Place;

TEST(PlaceSearchKey, CapitalsInTheCodePage) {
    EXPECT_EQ(PlaceSearchKey::upperKey("mü", false), "M\xDC");
    EXPECT_EQ(PlaceSearchKey::upperKey("Mühlheim", false), "M\xDCHLHEIM");
    EXPECT_EQ(PlaceSearchKey::upperKey("äöü ÄÖÜ", false), "\xC4\xD6\xDC \xC4\xD6\xDC");
    EXPECT_EQ(PlaceSearchKey::upperKey("weiß", false), "WEI\xDF");
    EXPECT_EQ(PlaceSearchKey::upperKey("weiß", true), "WEISS");
    EXPECT_EQ(PlaceSearchKey::upperKey("ÿ-é", false), "\x9F-\xC9");
    EXPECT_EQ(PlaceSearchKey::upperKey(QString::fromUtf8("Ł"), false), "?") << "outside the code page";
}

TEST(PlaceSearchKey, FindsPlacesAsTheTableSpellsThem) {
    QTemporaryDir dir;
    // One table keeps "ß" among its capitals, as a letter-by-letter
    // upper-casing leaves it; the other spells it "SS".
    std::vector<Place> kept = {{"MAINZ", "MAINZ", 1, 1},
                               {"MAINTAL", "D\xD6RNIGHEIM", 1, 1},
                               {"M\xDCHLHEIM", "DIETESHEIM", 1, 1},
                               {"MUNSTER", "MUNSTER", 1, 1},
                               {"WEI\xDF"
                                "ENBURG",
                                "WEI\xDF"
                                "ENBURG",
                                1, 1},
                               {"WEISSACH", "WEISSACH", 1, 1}};
    ASSERT_TRUE(PlaceTables::write(dir.filePath("kept"), kept));
    THDBDataSet table;
    table.setPathName(dir.filePath("kept/WOPLA1.HDB"));
    table.setCodeword("Kennmark");
    table.open();
    ASSERT_EQ(table.recordCount(), 6);
    auto ort = [&] { return table.fieldValue("ORT").toString().trimmed(); };

    EXPECT_TRUE(PlaceSearchKey::findPlace(table, "mü"));
    EXPECT_EQ(ort(), "MÜHLHEIM") << "not MUNSTER: ü is Ü, not U";
    EXPECT_TRUE(PlaceSearchKey::findPlace(table, "mai"));
    const int lower = table.recNo();
    EXPECT_TRUE(PlaceSearchKey::findPlace(table, "MAI"));
    EXPECT_EQ(table.recNo(), lower);
    EXPECT_EQ(ort(), "MAINTAL");
    EXPECT_TRUE(PlaceSearchKey::findPlace(table, "weiß"));
    EXPECT_EQ(ort(), "WEIßENBURG");
    EXPECT_TRUE(PlaceSearchKey::findPlace(table, "weiss"));
    EXPECT_EQ(ort(), "WEISSACH");

    // Nothing typed, or beyond every name: the table stays where it is.
    EXPECT_FALSE(PlaceSearchKey::findPlace(table, ""));
    EXPECT_EQ(ort(), "WEISSACH");
    EXPECT_FALSE(PlaceSearchKey::findPlace(table, "zz"));
    EXPECT_EQ(ort(), "WEISSACH");
    // A text between names: the next place, but no place of that beginning.
    EXPECT_FALSE(PlaceSearchKey::findPlace(table, "mb"));
    EXPECT_EQ(ort(), "MUNSTER");

    std::vector<Place> doubled = {{"STRASSENHAUS", "STRASSENHAUS", 1, 1}, {"STRAUBING", "STRAUBING", 1, 1}};
    ASSERT_TRUE(PlaceTables::write(dir.filePath("doubled"), doubled));
    THDBDataSet other;
    other.setPathName(dir.filePath("doubled/WOPLA1.HDB"));
    other.setCodeword("Kennmark");
    other.open();
    EXPECT_TRUE(PlaceSearchKey::findPlace(other, "straß"));
    EXPECT_EQ(other.fieldValue("ORT").toString().trimmed(), "STRASSENHAUS");
}
