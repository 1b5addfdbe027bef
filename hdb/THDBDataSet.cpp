#include "THDBDataSet.h"

#include "HDBFile.h"
#include "HDBRecords.h"

#include <Cp1252.h>

#include <cstring>

THDBDataSet::THDBDataSet(QObject* parent) : QAbstractTableModel(parent) {}

THDBDataSet::~THDBDataSet() = default;

void THDBDataSet::setPathName(const QString& path) {
    if (!m_active)
        m_pathName = path;
}

void THDBDataSet::setCodeword(const QString& codeword) {
    if (!m_active)
        m_codeword = codeword;
}

void THDBDataSet::open() {
    if (m_active)
        return;
    beginResetModel();
    m_active = true;
    auto file = HDBFile::open(m_pathName.toStdString(), Cp1252::encode(m_codeword));
    m_fieldDefs.clear();
    m_visibleCount = 0;
    m_filterOffset = 0;
    if (file->isOpen()) {
        for (int i = 1; i <= file->fieldCount(); ++i) {
            const RowField* f = file->field(i);
            FieldDef def{Cp1252::decode(f->name()), StringKind, 0, i};
            switch (f->typeCode()) {
            case 'd':
                def.kind = IntegerKind;
                break;
            case 'f':
                def.kind = FloatKind;
                break;
            case 's':
                def.kind = StringKind;
                def.size = int(f->size()) + 1;
                break;
            default:
                continue; // no definition for other kinds
            }
            m_fieldDefs.push_back(def);
        }
        m_cursor = std::make_unique<HDBRecords>(std::move(file));
        m_visibleCount = m_cursor->recordCount();
    }
    endResetModel();
    first();
}

void THDBDataSet::close() {
    if (!m_active)
        return;
    beginResetModel();
    m_active = false;
    m_cursor.reset();
    m_fieldDefs.clear();
    m_visibleCount = 0;
    m_filterOffset = 0;
    endResetModel();
    setCurrent(0, true, true);
}

void THDBDataSet::setCurrent(int recNo, bool bof, bool eof) {
    const bool changed = recNo != m_current;
    m_current = recNo;
    m_bof = bof;
    m_eof = eof;
    if (changed)
        emit currentChanged(recNo);
}

void THDBDataSet::first() {
    if (m_visibleCount == 0)
        setCurrent(0, true, true);
    else
        setCurrent(1, true, false);
}

void THDBDataSet::last() {
    if (m_visibleCount == 0)
        setCurrent(0, true, true);
    else
        setCurrent(m_visibleCount, false, true);
}

void THDBDataSet::next() {
    if (m_eof)
        return;
    if (m_current < m_visibleCount)
        setCurrent(m_current + 1, false, false);
    else
        m_eof = true;
}

void THDBDataSet::prior() {
    if (m_bof)
        return;
    if (m_current >= 2)
        setCurrent(m_current - 1, false, false);
    else
        m_bof = true;
}

void THDBDataSet::setRecNo(int recNo) {
    if (recNo < 1 || recNo > m_visibleCount)
        return;
    setCurrent(recNo, false, false);
}

void THDBDataSet::gotoBookmark(int bookmark) {
    if (bookmark < 1 || bookmark > m_visibleCount)
        throw EDatabaseError(QStringLiteral("Record nicht gefunden"));
    setCurrent(bookmark, false, false);
}

bool THDBDataSet::findNearestKey(const std::string& key) {
    if (!m_cursor)
        return false;
    m_cursor->findNearest(key.data(), key.size(), true);
    const int position = m_cursor->recNo();
    if (position > m_cursor->recordCount())
        return false;
    // The search gives a position in the whole file; with a filter the data
    // set counts visible records, so translate (a record outside the filter
    // leaves the data set where it is and counts as not found).
    const int visible = position - m_filterOffset;
    setRecNo(visible);
    return visible >= 1 && visible <= m_visibleCount;
}

bool THDBDataSet::findNearest(const QString& key) {
    return findNearestKey(Cp1252::encode(key));
}

bool THDBDataSet::findNearest(const char* key) {
    return findNearestKey(key ? std::string(key) : std::string());
}

bool THDBDataSet::findNearest(int key) {
    if (!m_cursor)
        return false;
    const RowField* f = m_cursor->file()->field(1);
    if (!f || f->typeCode() != 'd' || f->size() > 4 || f->size() == 0)
        return false;
    std::string bytes(f->size(), '\0');
    const auto value = std::uint32_t(key);
    for (std::size_t k = 0; k < f->size(); ++k)
        bytes[f->size() - 1 - k] = char(std::uint8_t(value >> (8 * k)));
    return findNearestKey(bytes);
}

void THDBDataSet::setFilterFirst(const QString& text) {
    m_filterFirst = text;
    if (!m_active)
        return;
    beginResetModel();
    applyFilter();
    endResetModel();
    first();
}

void THDBDataSet::applyFilter() {
    m_filterOffset = 0;
    m_visibleCount = 0;
    if (!m_cursor)
        return;
    const int count = m_cursor->recordCount();
    m_visibleCount = count;
    if (m_filterFirst.isEmpty())
        return;
    const std::string key = Cp1252::encode(m_filterFirst);
    if (!m_cursor->findNearest(key.data(), key.size(), false)) {
        m_visibleCount = 0;
        return;
    }
    m_filterOffset = m_cursor->recNo() - 1;
    int end = count + 1;
    if (m_cursor->findAfter(key.data(), key.size()))
        end = m_cursor->recNo();
    m_visibleCount = end - m_filterOffset - 1;
}

int THDBDataSet::fieldIndex(const QString& name) const {
    for (std::size_t i = 0; i < m_fieldDefs.size(); ++i) {
        if (m_fieldDefs[i].name == name)
            return int(i);
    }
    return -1;
}

QVariant THDBDataSet::valueAt(int recNo, int column) const {
    if (!m_cursor || column < 0 || column >= int(m_fieldDefs.size()) || recNo < 1 || recNo > m_visibleCount)
        return {};
    const RowField* f = m_cursor->file()->field(m_fieldDefs[std::size_t(column)].fileField);
    if (!f || !m_cursor->seek(recNo + m_filterOffset))
        return {};
    HDBValue value;
    if (f->getData(*m_cursor, value) != RowField::Ok)
        return {};
    if (const auto* i = std::get_if<std::uint32_t>(&value))
        return QVariant::fromValue(uint(*i));
    if (const auto* d = std::get_if<double>(&value))
        return QVariant(*d);
    if (const auto* s = std::get_if<std::string>(&value))
        return QVariant(Cp1252::decode(*s));
    return {};
}

QVariant THDBDataSet::fieldValue(int column) const {
    return valueAt(m_current, column);
}

QVariant THDBDataSet::fieldValue(const QString& name) const {
    return valueAt(m_current, fieldIndex(name));
}

int THDBDataSet::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_visibleCount;
}

int THDBDataSet::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_fieldDefs.size());
}

QVariant THDBDataSet::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return valueAt(index.row() + 1, index.column());
}

QVariant THDBDataSet::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal) {
        if (section >= 0 && section < int(m_fieldDefs.size()))
            return m_fieldDefs[std::size_t(section)].name;
        return {};
    }
    return section + 1;
}

Qt::ItemFlags THDBDataSet::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}
