// The data set: opening, fields, navigation, bookmarks, FilterFirst and
// FindNearest, and the table model a grid reads.
#include "HdbTestUtil.h"

#include <HDBRecords.h>
#include <HDBWriter.h>
#include <THDBDataSet.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace HdbTestUtil;

namespace {

// Place names in Windows-1252, in no particular order.
const char* const Places[] = {"LIMBURG", "MAINZ",   "MANNHEIM", "KASSEL", "MARBURG", "M\xDCNSTER",
                              "MAINTAL", "MAGDEBURG", "FULDA",  "MA",     "WORMS",   "MAINZ"};
constexpr int PlaceCount = 12;

std::string writePlaces(const TempDir& dir) {
    HDBWriter w({{"ORT", 7, 30, 0}, {"RELATION", 3, 6, 0}, {"R_WERT", 3, 10, 1}, {"H_WERT", 3, 10, 1}},
                "Kennmark");
    for (int i = 0; i < PlaceCount; ++i)
        EXPECT_TRUE(w.addRecord({std::string(Places[i]), std::int64_t(100 + i), 3400000.5 + i, 5500000.0 + i}));
    const std::string path = dir.file("WOPLA1.HDB");
    EXPECT_TRUE(w.write(path));
    return path;
}

// In key order: FULDA KASSEL LIMBURG MA MAGDEBURG MAINTAL MAINZ MAINZ MANNHEIM MARBURG MÜNSTER WORMS

QString ort(const THDBDataSet& ds) {
    return ds.fieldValue(QStringLiteral("ORT")).toString();
}

} // namespace

TEST(THDBDataSet, MissingFileGivesAnEmptyActiveDataSet) {
    TempDir dir;
    THDBDataSet ds;
    ds.setPathName(QString::fromStdString(dir.file("missing.hdb")));
    ds.open();
    EXPECT_TRUE(ds.isActive());
    EXPECT_EQ(ds.recordCount(), 0);
    EXPECT_EQ(ds.rowCount(), 0);
    EXPECT_EQ(ds.columnCount(), 0);
    EXPECT_EQ(ds.cursor(), nullptr);
    EXPECT_TRUE(ds.bof());
    EXPECT_TRUE(ds.eof());
    EXPECT_FALSE(ds.fieldValue(0).isValid());
    EXPECT_FALSE(ds.findNearest(QStringLiteral("A")));
    ds.setFilterFirst(QStringLiteral("A"));
    EXPECT_EQ(ds.recordCount(), 0);
    EXPECT_THROW(ds.gotoBookmark(1), EDatabaseError);
}

TEST(THDBDataSet, ShowsFieldsAndRecordsAsATable) {
    TempDir dir;
    THDBDataSet ds;
    ds.setPathName(QString::fromStdString(writePlaces(dir)));
    ds.setCodeword(QStringLiteral("Kennmark"));
    QAbstractItemModelTester tester(&ds, QAbstractItemModelTester::FailureReportingMode::Warning);
    ds.open();
    ASSERT_EQ(ds.recordCount(), PlaceCount);
    ASSERT_EQ(ds.fieldDefs().size(), 4u);
    EXPECT_EQ(ds.fieldDefs()[0].name, QStringLiteral("ORT"));
    EXPECT_EQ(ds.fieldDefs()[0].kind, THDBDataSet::StringKind);
    EXPECT_EQ(ds.fieldDefs()[0].size, 31);
    EXPECT_EQ(ds.fieldDefs()[1].kind, THDBDataSet::IntegerKind);
    EXPECT_EQ(ds.fieldDefs()[2].kind, THDBDataSet::FloatKind);
    EXPECT_EQ(ds.headerData(3, Qt::Horizontal).toString(), QStringLiteral("H_WERT"));
    EXPECT_EQ(ds.data(ds.index(0, 0)).toString(), QStringLiteral("FULDA"));
    EXPECT_EQ(ds.data(ds.index(10, 0)).toString(), QString::fromUtf8("MÜNSTER"));
    EXPECT_EQ(ds.data(ds.index(0, 1)).toUInt(), 108u);
    EXPECT_DOUBLE_EQ(ds.data(ds.index(0, 2)).toDouble(), 3400008.5);
    EXPECT_FALSE(ds.data(ds.index(0, 0), Qt::DecorationRole).isValid());
    EXPECT_FALSE(ds.flags(ds.index(0, 0)) & Qt::ItemIsEditable);

    // Path and code word stay as they are while the data set is open.
    ds.setPathName(QStringLiteral("/elsewhere"));
    ds.setCodeword(QString());
    EXPECT_EQ(ds.codeword(), QStringLiteral("Kennmark"));
    EXPECT_NE(ds.pathName(), QStringLiteral("/elsewhere"));
    ds.close();
    EXPECT_EQ(ds.rowCount(), 0);
    EXPECT_FALSE(ds.fieldValue(0).isValid());
}

TEST(THDBDataSet, NavigatesAndRaisesOutsideItsRecords) {
    TempDir dir;
    THDBDataSet ds;
    ds.setPathName(QString::fromStdString(writePlaces(dir)));
    ds.setCodeword(QStringLiteral("Kennmark"));
    QSignalSpy moved(&ds, &THDBDataSet::currentChanged);
    ds.open();
    EXPECT_EQ(ds.recNo(), 1);
    EXPECT_TRUE(ds.bof());
    EXPECT_FALSE(ds.eof());
    EXPECT_EQ(ort(ds), QStringLiteral("FULDA"));
    ds.next();
    EXPECT_EQ(ort(ds), QStringLiteral("KASSEL"));
    ds.prior();
    ds.prior();
    EXPECT_EQ(ds.recNo(), 1);
    EXPECT_TRUE(ds.bof());
    ds.last();
    EXPECT_EQ(ds.recNo(), PlaceCount);
    EXPECT_TRUE(ds.eof());
    EXPECT_EQ(ort(ds), QStringLiteral("WORMS"));
    ds.next();
    EXPECT_EQ(ds.recNo(), PlaceCount);

    ds.setRecNo(5);
    EXPECT_EQ(ort(ds), QStringLiteral("MAGDEBURG"));
    ds.setRecNo(0);
    ds.setRecNo(PlaceCount + 1);
    EXPECT_EQ(ds.recNo(), 5);

    const int mark = ds.bookmark();
    ds.first();
    ds.gotoBookmark(mark);
    EXPECT_EQ(ds.recNo(), 5);
    try {
        ds.gotoBookmark(PlaceCount + 1);
        FAIL() << "no error raised";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Record nicht gefunden"));
    }
    EXPECT_THROW(ds.gotoBookmark(0), EDatabaseError);
    EXPECT_EQ(ds.recNo(), 5);
    EXPECT_GE(moved.count(), 5);
    EXPECT_EQ(moved.last().at(0).toInt(), 5);
}

TEST(THDBDataSet, FilterFirstShowsExactlyThePrefix) {
    TempDir dir;
    const QString path = QString::fromStdString(writePlaces(dir));
    THDBDataSet ds;
    ds.setPathName(path);
    ds.setCodeword(QStringLiteral("Kennmark"));
    ds.setFilterFirst(QStringLiteral("MA")); // stored while closed: not applied on opening
    ds.open();
    EXPECT_EQ(ds.filterFirst(), QStringLiteral("MA"));
    EXPECT_EQ(ds.recordCount(), PlaceCount);

    ds.setFilterFirst(QStringLiteral("MA"));
    EXPECT_EQ(ds.recordCount(), 7); // MA MAGDEBURG MAINTAL MAINZ MAINZ MANNHEIM MARBURG
    EXPECT_EQ(ds.filterOffset(), 3);
    EXPECT_EQ(ds.recNo(), 1);
    EXPECT_EQ(ort(ds), QStringLiteral("MA"));
    ds.last();
    EXPECT_EQ(ort(ds), QStringLiteral("MARBURG"));
    EXPECT_EQ(ds.rowCount(), 7);
    EXPECT_EQ(ds.data(ds.index(6, 0)).toString(), QStringLiteral("MARBURG"));
    EXPECT_FALSE(ds.valueAt(8, 0).isValid());

    ds.setFilterFirst(QStringLiteral("MAINZ"));
    EXPECT_EQ(ds.recordCount(), 2);
    ds.setFilterFirst(QString::fromUtf8("MÜ"));
    EXPECT_EQ(ds.recordCount(), 1);
    EXPECT_EQ(ort(ds), QString::fromUtf8("MÜNSTER"));
    ds.setFilterFirst(QStringLiteral("WORMS"));
    EXPECT_EQ(ds.recordCount(), 1); // the last record: no record after it
    ds.setFilterFirst(QStringLiteral("MX"));
    EXPECT_EQ(ds.recordCount(), 0);
    EXPECT_EQ(ds.recNo(), 0);
    ds.setFilterFirst(QString());
    EXPECT_EQ(ds.recordCount(), PlaceCount);
    EXPECT_EQ(ds.filterOffset(), 0);
}

TEST(THDBDataSet, FindNearestMovesToTheFirstRecordNotSmaller) {
    TempDir dir;
    THDBDataSet ds;
    ds.setPathName(QString::fromStdString(writePlaces(dir)));
    ds.setCodeword(QStringLiteral("Kennmark"));
    ds.open();
    EXPECT_TRUE(ds.findNearest(QStringLiteral("MAI")));
    EXPECT_EQ(ort(ds), QStringLiteral("MAINTAL"));
    EXPECT_TRUE(ds.findNearest("MAN"));
    EXPECT_EQ(ort(ds), QStringLiteral("MANNHEIM"));
    EXPECT_TRUE(ds.findNearest(QString::fromUtf8("MÜ")));
    EXPECT_EQ(ds.recNo(), 11);
    EXPECT_TRUE(ds.findNearest(QStringLiteral("A")));
    EXPECT_EQ(ds.recNo(), 1);

    // Beyond every record: false, the cursor past the end with a zeroed
    // buffer, the data set where it was.
    ds.setRecNo(4);
    EXPECT_FALSE(ds.findNearest(QStringLiteral("ZZ")));
    EXPECT_EQ(ds.recNo(), 4);
    ASSERT_NE(ds.cursor(), nullptr);
    EXPECT_EQ(ds.cursor()->recNo(), PlaceCount + 1);
    EXPECT_TRUE(ds.cursor()->eof());
    EXPECT_TRUE(std::all_of(ds.cursor()->record(), ds.cursor()->record() + ds.cursor()->recordSize(),
                            [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ(ort(ds), QStringLiteral("MA")); // reading re-seeks the active record

    // The integer form needs an integer first field.
    EXPECT_FALSE(ds.findNearest(5));
}

TEST(THDBDataSet, FindNearestWithAnIntegerKey) {
    TempDir dir;
    HDBWriter w({{"MIN_H", 3, 7, 0}, {"RICHTUNG", 8, 1, 0}});
    for (std::int64_t h : {5500100, 5499000, 5501000, 258})
        ASSERT_TRUE(w.addRecord({h, std::int64_t(0)}));
    const std::string path = dir.file("GRENZ1.HDB");
    ASSERT_TRUE(w.write(path));
    THDBDataSet ds;
    ds.setPathName(QString::fromStdString(path));
    ds.open();
    EXPECT_TRUE(ds.findNearest(5500000));
    EXPECT_EQ(ds.fieldValue(0).toUInt(), 5500100u);
    EXPECT_TRUE(ds.findNearest(258));
    EXPECT_EQ(ds.recNo(), 1);
    EXPECT_FALSE(ds.findNearest(5600000));

    // A 2-byte first field takes the integer's two low bytes.
    HDBWriter small({{"N", 3, 4, 0}});
    for (std::int64_t n : {1, 258, 700})
        ASSERT_TRUE(small.addRecord({n}));
    const std::string smallPath = dir.file("small.hdb");
    ASSERT_TRUE(small.write(smallPath));
    THDBDataSet ds2;
    ds2.setPathName(QString::fromStdString(smallPath));
    ds2.open();
    EXPECT_TRUE(ds2.findNearest(259));
    EXPECT_EQ(ds2.fieldValue(0).toUInt(), 700u);
    EXPECT_TRUE(ds2.findNearest(65536 + 2)); // low bytes 00 02
    EXPECT_EQ(ds2.fieldValue(0).toUInt(), 258u);
}
