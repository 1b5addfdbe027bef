#pragma once

#include <QDialog>

#include <cstdint>

class MapHandle;
class QListWidget;
class QPushButton;

// "Folien auswählen": the map's layers in a multi-selection list (control
// 101), selected as the layer mask shows them. "OK" builds the mask from the
// selection (entry i → bit i) and applies it; the dialog ends with 1 when the
// mask changed, otherwise 2 (also for "Abbrechen").
class LayerDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int Changed = 1;
    static constexpr int Unchanged = 2;

    LayerDialog(MapHandle& handle, QWidget* parent = nullptr);

    // The mask the current selection stands for.
    uint32_t selectedMask() const;

    QListWidget* list() const { return m_list; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

    // Shows the dialog for `handle` and waits; true only when the mask changed.
    static bool ask(MapHandle& handle, QWidget* owner);

public slots:
    void reject() override;

private:
    MapHandle& m_handle;
    QListWidget* m_list;
    QPushButton* m_ok;
    QPushButton* m_cancel;
};
