#pragma once

#include <QDialog>
#include <QString>

class MapHandle;
class QLabel;
class QPushButton;
class QScrollBar;

// "Abdunkeln": chooses the brightness of a map with a horizontal scroll bar
// (control 100, 0..255) and shows it in per cent (control 101). "OK" applies
// the value; the dialog ends with 1 when the dimmer changed, otherwise 2 (also
// for "Abbrechen").
class DimmerDialog : public QDialog {
    Q_OBJECT
public:
    // The scroll bar codes the value reacts to.
    enum ScrollCode {
        LineLeft = 0,
        LineRight = 1,
        PageLeft = 2,
        PageRight = 3,
        ThumbPosition = 4,
        ThumbTrack = 5,
        Left = 6,
        Right = 7,
        EndScroll = 8,
    };
    static constexpr int Changed = 1;
    static constexpr int Unchanged = 2;

    DimmerDialog(MapHandle& handle, QWidget* parent = nullptr);

    // The value after scroll code `code` (thumb: the thumb position).
    // Dragging the thumb (ThumbTrack) and the end of scrolling keep it.
    static int scrolled(int value, int code, int thumb = 0);
    // "%5.1f%%" of value × 100 / 255.
    static QString percentText(int value);

    // Applies a scroll code to the dialog's value, as the scroll bar does.
    void scroll(int code, int thumb = 0);
    int value() const { return m_value; }

    QScrollBar* scrollBar() const { return m_scrollBar; }
    QLabel* valueLabel() const { return m_valueLabel; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

    // Shows the dialog for `handle` and waits; true only when the dimmer changed.
    static bool ask(MapHandle& handle, QWidget* owner);

public slots:
    void reject() override;

private:
    void setValue(int value);
    void okClicked();

    MapHandle& m_handle;
    int m_value;
    QScrollBar* m_scrollBar;
    QLabel* m_valueLabel;
    QPushButton* m_ok;
    QPushButton* m_cancel;
};
