#include "TopInfoDataSource.h"

#include "AnsiStringField.h"
#include "Cp1252.h"
#include "HDBFile.h"
#include "HDBRecords.h"
#include "RowField.h"

#include <QDir>

namespace {

const char* const CategoryNames[TopInfoDataSource_HDB16::CategoryCount] = {
    "Sehenswürdigkeiten", "Jugendherbergen", "Museen", "Burgen + Schlösser", "bewirtschaftete Hütten", "Campingplätze"};

// The six categories; they carry no position.
class CategoryIterator : public TopInfoDataSource::RangeIterator {
public:
    QString key() const override { return QString::number(m_index + 1); }
    QString name() const override { return TopInfoDataSource_HDB16::categoryName(m_index + 1); }
    bool position(Coord& out) const override {
        out = Coord{};
        return false;
    }
    bool next() override {
        if (m_index + 1 >= TopInfoDataSource_HDB16::CategoryCount)
            return false;
        ++m_index;
        return true;
    }

private:
    int m_index = 0;
};

QString trimmed(const HDBRecords& cursor, const char* field) {
    return AnsiStringField(cursor, field).text().trimmed();
}

// Elements: consecutive records whose "KATEGORIE" begins with the range's
// key. Each iterator has a cursor of its own, standing on its record.
class ElementIterator : public TopInfoDataSource::RangeIterator {
public:
    ElementIterator(std::shared_ptr<HDBFile> file, int recNo, QString rangeKey)
        : m_cursor(std::move(file)), m_rangeKey(std::move(rangeKey)) {
        m_cursor.seek(recNo);
    }

    QString key() const override {
        // The category as stored, then the record number in ten digits.
        return AnsiStringField(m_cursor, "KATEGORIE").text() +
               QStringLiteral("%1").arg(m_cursor.recNo(), 10, 10, QLatin1Char('0'));
    }
    QString name() const override { return trimmed(m_cursor, "NAME"); }
    QString shortInfo() const override {
        QStringList lines;
        auto add = [&](const QString& line) {
            if (!line.isEmpty())
                lines << line;
        };
        add(trimmed(m_cursor, "STRASSE"));
        add(trimmed(m_cursor, "PLZORT"));
        const QString prefix = trimmed(m_cursor, "VORWAHL");
        if (!prefix.isEmpty()) {
            const QString phone = trimmed(m_cursor, "TELEFON");
            const QString fax = trimmed(m_cursor, "FAX");
            if (!phone.isEmpty())
                add(QStringLiteral("Telefon: ") + prefix + QLatin1Char('/') + phone);
            if (!fax.isEmpty())
                add(QStringLiteral("Fax: ") + prefix + QLatin1Char('/') + fax);
        }
        const QString mail = trimmed(m_cursor, "EMAIL");
        if (!mail.isEmpty())
            add(QStringLiteral("E-Mail:") + QChar(0xA0) + mail);
        return lines.join(QStringLiteral("\r\n"));
    }
    bool position(Coord& out) const override {
        out = Coord{};
        out.type = 1; // Gauss-Krüger of the map library: x northing, y easting
        out.zone = 0;
        return number("X", out.x) && number("Y", out.y);
    }
    bool next() override {
        const int current = m_cursor.recNo();
        if (m_cursor.seek(current + 1) && AnsiStringField(m_cursor, "KATEGORIE").text().startsWith(m_rangeKey))
            return true;
        m_cursor.seek(current); // the end of the range: stay on the last item
        return false;
    }

private:
    bool number(const char* field, double& out) const {
        const RowField* f = m_cursor.file()->fieldByName(field);
        return f != nullptr && f->getDouble(m_cursor, out) == RowField::Ok;
    }

    HDBRecords m_cursor;
    QString m_rangeKey;
};

// One element: its range ends after its record.
class SingleElementIterator : public ElementIterator {
public:
    using ElementIterator::ElementIterator;
    bool next() override { return false; }
};

} // namespace

TopInfoDataSource_HDB16::TopInfoDataSource_HDB16(const QString& directory, const QString& baseName,
                                                 const QString& codeword) {
    const QString path = QDir(directory).filePath(baseName + QStringLiteral(".HDB"));
    m_file = HDBFile::open(QDir::toNativeSeparators(path).toStdString(), codeword.toStdString());
    if (m_file)
        m_cursor = std::make_unique<HDBRecords>(m_file);
}

TopInfoDataSource_HDB16::~TopInfoDataSource_HDB16() = default;

bool TopInfoDataSource_HDB16::isOpen() const {
    return m_file && m_file->isOpen();
}

int TopInfoDataSource_HDB16::recordCount() const {
    return isOpen() ? m_file->recordCount() : 0;
}

QString TopInfoDataSource_HDB16::categoryName(int number) {
    if (number < 1 || number > CategoryCount)
        return {};
    return QString::fromUtf8(CategoryNames[number - 1]);
}

std::unique_ptr<TopInfoDataSource::RangeIterator> TopInfoDataSource_HDB16::categoryIterator() {
    return std::make_unique<CategoryIterator>();
}

std::unique_ptr<TopInfoDataSource::RangeIterator> TopInfoDataSource_HDB16::rangeIterator(const QString& key) {
    const QString k = key.trimmed();
    if (k.isEmpty())
        return categoryIterator();
    if (!isOpen())
        return nullptr;
    if (k.size() <= categoryKeyLength()) {
        const std::string bytes = Cp1252::encode(k);
        if (!m_cursor->findNearest(bytes, true) || m_cursor->eof())
            return nullptr;
        if (!AnsiStringField(*m_cursor, "KATEGORIE").text().startsWith(k))
            return nullptr;
        return std::make_unique<ElementIterator>(m_file, m_cursor->recNo(), k);
    }
    // An element key: the category character, then the record number. A
    // number naming no record still gives an iterator, on a zeroed record.
    bool ok = false;
    const uint number = k.mid(1).toUInt(&ok, 10);
    const int recNo = ok && number <= uint(INT32_MAX) ? int(number) : 0;
    return std::make_unique<SingleElementIterator>(m_file, recNo, k.left(categoryKeyLength()));
}
