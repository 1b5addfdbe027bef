#pragma once

#include "Coord.h"

#include <QString>

#include <memory>

class HDBFile;
class HDBRecords;
class QAbstractItemModel;

// Where the points of interest come from: categories and their elements,
// reached through range iterators. A key selects a range: the empty key the
// categories, a category key the elements of that category, an element key
// that one element. Every element key begins with its category's key.
class TopInfoDataSource {
public:
    // One category or element of a range. The iterator stands on its first
    // item when handed out; next() moves on and answers false at the end of
    // the range, where the iterator stays on its last item.
    class RangeIterator {
    public:
        virtual QString key() const = 0;
        virtual QString name() const = 0;
        virtual QString hint() const { return name(); }
        virtual QString shortInfo() const { return {}; }
        virtual QString infoFileName() const { return key() + QStringLiteral(".html"); }
        // Fills a map coordinate; false (and a cleared record) without position.
        virtual bool position(Coord& out) const = 0;
        virtual bool isVirtual() const { return false; }
        virtual bool isEditable() const { return false; }
        virtual bool next() = 0;
        virtual ~RangeIterator() = default;
    };

    // A provider for element lists too long for a list box; none here.
    virtual QAbstractItemModel* virtualList() { return nullptr; }
    // None when the key selects nothing.
    virtual std::unique_ptr<RangeIterator> rangeIterator(const QString& key) = 0;
    virtual int categoryKeyLength() const = 0;
    virtual ~TopInfoDataSource() = default;
    virtual std::unique_ptr<RangeIterator> categoryIterator() = 0;
};

// The points of interest of one HDB file: the record number in key order
// makes the element key ("KATEGORIE" followed by the number in ten digits),
// the category key is one character, the six categories are fixed.
class TopInfoDataSource_HDB16 : public TopInfoDataSource {
public:
    // The file `baseName` + ".HDB" in `directory`, opened with `codeword`.
    // A missing or unreadable file gives an empty source.
    TopInfoDataSource_HDB16(const QString& directory, const QString& baseName, const QString& codeword);
    ~TopInfoDataSource_HDB16() override;

    std::unique_ptr<RangeIterator> rangeIterator(const QString& key) override;
    int categoryKeyLength() const override { return 1; }
    std::unique_ptr<RangeIterator> categoryIterator() override;

    bool isOpen() const;
    int recordCount() const;

    static constexpr int CategoryCount = 6;
    // Key "1" … "6" → its name; empty outside.
    static QString categoryName(int number);

private:
    std::shared_ptr<HDBFile> m_file;
    std::unique_ptr<HDBRecords> m_cursor;
};
