#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <QVariant>

#include <memory>
#include <stdexcept>
#include <vector>

class HDBRecords;

// The error a data set raises for navigation outside its records.
class EDatabaseError : public std::runtime_error {
public:
    explicit EDatabaseError(const QString& message) : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

// A read-only data set over one HDB file, and at the same time the table
// model through which a QTableView shows it: one row per visible record, one
// column per field.
//
// Navigation keeps the data-set conventions: record numbers are 1-based, the
// active record is recNo(), bookmarks are record numbers, first()/last()/
// next()/prior() set bof()/eof() at the ends. A file that cannot be opened
// gives an active but empty data set, without an error.
//
// setFilterFirst() restricts the visible records to those whose leading
// bytes equal the given text; record numbers and rows then count the visible
// records only.
class THDBDataSet : public QAbstractTableModel {
    Q_OBJECT
    Q_PROPERTY(QString PathName READ pathName WRITE setPathName)
    Q_PROPERTY(QString Codeword READ codeword WRITE setCodeword)
    Q_PROPERTY(QString FilterFirst READ filterFirst WRITE setFilterFirst)
    Q_PROPERTY(int RecNo READ recNo WRITE setRecNo NOTIFY currentChanged)

public:
    // How a field shows in the data set.
    enum FieldKind { IntegerKind, FloatKind, StringKind };
    struct FieldDef {
        QString name;
        FieldKind kind;
        int size;        // characters for string fields (field size + 1)
        int fileField;   // 1-based number of the field in the file
    };

    explicit THDBDataSet(QObject* parent = nullptr);
    ~THDBDataSet() override;

    // Take effect only while the data set is closed.
    QString pathName() const { return m_pathName; }
    void setPathName(const QString& path);
    QString codeword() const { return m_codeword; }
    void setCodeword(const QString& codeword);
    QString filterFirst() const { return m_filterFirst; }
    void setFilterFirst(const QString& text);

    void open();
    void close();
    bool isActive() const { return m_active; }
    void setActive(bool active) { active ? open() : close(); }

    int recordCount() const { return m_visibleCount; }
    // The active record, 0 when there is none.
    int recNo() const { return m_current; }
    // Outside 1 … recordCount() nothing happens.
    void setRecNo(int recNo);
    void first();
    void last();
    void next();
    void prior();
    bool bof() const { return m_bof; }
    bool eof() const { return m_eof; }
    bool isEmpty() const { return m_visibleCount == 0; }
    int bookmark() const { return m_current; }
    // Raises EDatabaseError "Record nicht gefunden" outside 1 … recordCount().
    void gotoBookmark(int bookmark);

    // Move to the first record whose key is not smaller than the given key:
    // the text's characters (Windows-1252), the bytes up to the zero, or an
    // integer's low bytes (only when the first field is an integer field of
    // at most 4 bytes). True when such a record exists.
    bool findNearest(const QString& key);
    bool findNearest(const char* key);
    bool findNearest(int key);

    const std::vector<FieldDef>& fieldDefs() const { return m_fieldDefs; }
    int fieldIndex(const QString& name) const; // 0-based column, -1 when unknown
    // The active record's value of a column; invalid ("no value") without an
    // active record, for an unknown field, or when the field cannot be read.
    QVariant fieldValue(int column) const;
    QVariant fieldValue(const QString& name) const;
    // The value of a column in visible record `recNo`.
    QVariant valueAt(int recNo, int column) const;

    int filterOffset() const { return m_filterOffset; }
    // The cursor on the file (none while closed or when the file is missing).
    HDBRecords* cursor() const { return m_cursor.get(); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    // The active record changed (the grid follows it).
    void currentChanged(int recNo);

private:
    bool findNearestKey(const std::string& key);
    void setCurrent(int recNo, bool bof, bool eof);
    void applyFilter();

    QString m_pathName;
    QString m_codeword;
    QString m_filterFirst;
    bool m_active = false;
    std::unique_ptr<HDBRecords> m_cursor;
    std::vector<FieldDef> m_fieldDefs;
    int m_visibleCount = 0;
    int m_filterOffset = 0;
    int m_current = 0;
    bool m_bof = true;
    bool m_eof = true;
};
