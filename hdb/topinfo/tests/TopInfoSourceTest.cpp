// The points-of-interest source over an HDB file: element keys, short info
// lines, ranges of categories and elements, and damaged or missing files.
#include "TopInfoDataSource.h"
#include "TopInfoTestData.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using TopInfoTestData::Poi;

class TopInfoSource : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<Poi> pois = TopInfoTestData::fillers(5599000, 3501000);
        // Record 42: the first museum, with only a town and an e-mail address.
        Poi first{"3", "Aachener Museum", "", " 55116 Mainz ", "", "", "", " info@museum.example ", 5599010, 3501020};
        // No area code: neither telephone nor fax, whatever they hold.
        Poi noPrefix{"3", "Bergbaumuseum  ", "Zechenweg 1", "55118 Mainz", "", "123456", "654321",
                     "",  5599000,           3501000};
        Poi full{"3",      "Café-Museum", " Große Bleiche 5 ", "55116 Mainz", " 06131 ",
                 " 2345 ", "2346",        "cafe@x.example",    5599000,       3501000};
        Poi castle{"4", "  Burg Äpfelstein ", "", "", "", "", "", "", 5599000, 3501000};
        for (const Poi& p : {first, noPrefix, full, castle})
            pois.push_back(p);
        ASSERT_TRUE(TopInfoTestData::write(dir.path(), pois));
        source = std::make_unique<TopInfoDataSource_HDB16>(dir.path(), "TopInfo", "Kennmark");
        ASSERT_TRUE(source->isOpen());
        ASSERT_EQ(source->recordCount(), 45);
    }
    std::vector<QString> keys(const QString& rangeKey) {
        std::vector<QString> out;
        auto it = source->rangeIterator(rangeKey);
        if (!it)
            return out;
        do
            out.push_back(it->key());
        while (it->next());
        return out;
    }
    QTemporaryDir dir;
    std::unique_ptr<TopInfoDataSource_HDB16> source;
};

} // namespace

TEST_F(TopInfoSource, ElementKeysAndShortInfo) {
    // The category of record 42 is 3: key 30000000042, found again by its key.
    auto museum = source->rangeIterator("3");
    ASSERT_TRUE(museum);
    EXPECT_EQ(museum->key(), "30000000042");
    EXPECT_EQ(museum->infoFileName(), "30000000042.html");
    auto byKey = source->rangeIterator("30000000042");
    ASSERT_TRUE(byKey);
    EXPECT_EQ(byKey->key(), "30000000042");
    EXPECT_EQ(byKey->name(), "Aachener Museum");
    EXPECT_EQ(byKey->hint(), "Aachener Museum");
    EXPECT_FALSE(byKey->next()) << "an element key's range is that one element";
    EXPECT_EQ(byKey->key(), "30000000042");
    // Only PLZORT and EMAIL: two lines, the second with a non-breaking space.
    EXPECT_EQ(byKey->shortInfo(), QString("55116 Mainz\r\nE-Mail:") + QChar(0xA0) + "info@museum.example");
    Coord position{};
    ASSERT_TRUE(byKey->position(position));
    EXPECT_EQ(position.type, 1u);
    EXPECT_EQ(position.zone, 0u);
    EXPECT_DOUBLE_EQ(position.x, 5599010) << "northing from X";
    EXPECT_DOUBLE_EQ(position.y, 3501020) << "easting from Y";

    // No area code: no telephone and no fax line; the name trimmed.
    auto noPrefix = source->rangeIterator("30000000043");
    ASSERT_TRUE(noPrefix);
    EXPECT_EQ(noPrefix->name(), "Bergbaumuseum");
    EXPECT_EQ(noPrefix->shortInfo(), "Zechenweg 1\r\n55118 Mainz");

    // Everything, each field trimmed; umlauts and ß come through the code page.
    auto full = source->rangeIterator("30000000044");
    ASSERT_TRUE(full);
    EXPECT_EQ(full->name(), "Café-Museum");
    EXPECT_EQ(full->shortInfo(), QString("Große Bleiche 5\r\n55116 Mainz\r\nTelefon: 06131/2345\r\nFax: 06131/2346\r\n"
                                         "E-Mail:") +
                                     QChar(0xA0) + "cafe@x.example");

    // A number that names no record: an iterator on a zeroed record.
    auto none = source->rangeIterator("39999999999");
    ASSERT_TRUE(none);
    EXPECT_EQ(none->name(), "");
    EXPECT_EQ(none->shortInfo(), "");
    EXPECT_FALSE(none->next());
}

TEST_F(TopInfoSource, RangesOfCategoriesAndElements) {
    // The empty key: the six categories, without positions.
    auto categories = source->rangeIterator("  ");
    ASSERT_TRUE(categories);
    QStringList names;
    do {
        names << categories->key() + "=" + categories->name();
        Coord c{};
        c.type = 99;
        EXPECT_FALSE(categories->position(c));
        EXPECT_EQ(c.type, 0u);
    } while (categories->next());
    EXPECT_EQ(names, QStringList({"1=Sehenswürdigkeiten", "2=Jugendherbergen", "3=Museen", "4=Burgen + Schlösser",
                                  "5=bewirtschaftete Hütten", "6=Campingplätze"}));
    EXPECT_EQ(categories->key(), "6") << "the iterator stays on its last item";
    EXPECT_EQ(source->categoryKeyLength(), 1);

    // A category: its consecutive records, and nothing of the next one.
    EXPECT_EQ(keys("3"), (std::vector<QString>{"30000000042", "30000000043", "30000000044"}));
    EXPECT_EQ(keys("4"), (std::vector<QString>{"40000000045"}));
    EXPECT_EQ(source->rangeIterator("4")->name(), "Burg Äpfelstein") << "trimmed at both ends";
    EXPECT_EQ(keys("2").size(), 11u);
    EXPECT_EQ(keys("1").size(), 30u);
    auto last = source->rangeIterator("3");
    while (last->next()) {
    }
    EXPECT_EQ(last->key(), "30000000044") << "stays on the last element of the range";
    // A category without elements, and one beyond every record.
    EXPECT_FALSE(source->rangeIterator("5"));
    EXPECT_FALSE(source->rangeIterator("9"));
}

TEST(TopInfoSourceFiles, MissingOrDamagedFileGivesAnEmptySource) {
    QTemporaryDir dir;
    TopInfoDataSource_HDB16 missing(dir.path(), "TopInfo", "Kennmark");
    EXPECT_FALSE(missing.isOpen());
    EXPECT_FALSE(missing.rangeIterator("1"));
    EXPECT_FALSE(missing.rangeIterator("10000000001"));
    EXPECT_TRUE(missing.rangeIterator("")) << "the categories are fixed";

    QFile damaged(dir.filePath("TopInfo.HDB"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("HDB\x1a garbage that is no table at all");
    damaged.close();
    TopInfoDataSource_HDB16 broken(dir.path(), "TopInfo", "Kennmark");
    EXPECT_FALSE(broken.isOpen());
    EXPECT_FALSE(broken.rangeIterator("3"));
    EXPECT_EQ(broken.recordCount(), 0);
}
