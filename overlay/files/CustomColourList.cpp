#include "CustomColourList.h"

#include <QColor>
#include <QColorDialog>
#include <QStringList>

namespace UserDraw {

namespace {

class DialogColours : public CustomColourList {
public:
    QString commaText() const override {
        QStringList entries;
        for (int i = 0; i < QColorDialog::customCount(); ++i) {
            const QColor c = QColorDialog::customColor(i);
            const unsigned value = unsigned(c.red()) | unsigned(c.green()) << 8 | unsigned(c.blue()) << 16;
            entries << QStringLiteral("Color%1=%2")
                           .arg(QChar(u'A' + i))
                           .arg(value, 6, 16, QLatin1Char('0'))
                           .toUpper()
                           .replace(QLatin1String("COLOR"), QLatin1String("Color"));
        }
        return entries.join(QLatin1Char(','));
    }

    void setCommaText(const QString& text) override {
        for (const QString& entry : text.split(QLatin1Char(','))) {
            const QString trimmed = entry.trimmed();
            if (!trimmed.startsWith(QLatin1String("Color")) || trimmed.size() < 8 || trimmed.at(6) != QLatin1Char('='))
                continue;
            const int index = trimmed.at(5).unicode() - u'A';
            if (index < 0 || index >= QColorDialog::customCount())
                continue;
            bool ok = false;
            const unsigned value = trimmed.mid(7).toUInt(&ok, 16);
            if (!ok || value > 0xFFFFFF)
                continue;
            QColorDialog::setCustomColor(index, QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF));
        }
    }
};

} // namespace

CustomColourList& dialogCustomColours() {
    static DialogColours colours;
    return colours;
}

} // namespace UserDraw
