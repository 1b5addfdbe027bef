#pragma once

#include <QString>

// Lengths and areas the way the measuring window shows them: "." between
// every three digits of the integer part, "," before the fraction.
class MeasureNumberFormat {
public:
    // The count of decimal places is fixed when the measure module is made.
    explicit MeasureNumberFormat(int decimals);

    // "1.234.567" for 1234567.4 with 0 decimals.
    QString Number(double value) const;
    // With " m" appended.
    QString Length(double metres) const { return Number(metres) + QStringLiteral(" m"); }
    // With " m²" appended.
    QString Area(double squareMetres) const { return Number(squareMetres) + QStringLiteral(" m²"); }

    const QByteArray& Format() const { return m_format; }

private:
    QByteArray m_format; // "%.0f"
};
