#pragma once

#include <QComboBox>

// A list that shows each pen or fill style as a small sample instead of a
// name: pen styles 0–5 as a line, fill styles 0–7 as a framed box. The item
// index is the style number.
class TStyleComboBox : public QComboBox {
    Q_OBJECT
public:
    enum Kind { PenStyles, FillStyles };

    TStyleComboBox(Kind kind, QWidget* parent = nullptr);

    Kind kind() const { return m_kind; }
    // The sample picture of one style.
    static QPixmap sample(Kind kind, int style, const QSize& size);

private:
    Kind m_kind;
};
