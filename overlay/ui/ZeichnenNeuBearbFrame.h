#pragma once

#include <QFrame>

#include <memory>

class MapFunction;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTabWidget;
class QCheckBox;
class QTreeWidgetItem;
class StdDrawStrategy;
class TStyleComboBox;
class TTolmColorSelector;
class TZeichnenAuswahlFrame;
class ZeichnenDrawObjectTarget;
struct StdDrawAppearance;
namespace SymbolIcon::VCL {
class GridPeer;
}

// The property editor of the page "Zeichnen": the element kind, the name and
// the pages of the kind's properties, and the drawing function of the kind.
// The editor works on the default record of the chosen kind itself, so every
// edit also becomes the start of the next element of that kind, and each
// element copies the record as it is when it is placed.
class TZeichnenNeuBearbFrame : public QFrame {
    Q_OBJECT
public:
    explicit TZeichnenNeuBearbFrame(QWidget* parent = nullptr);
    ~TZeichnenNeuBearbFrame() override;

    // Starts a new element placed relative to the node (none: the root): the
    // kind chosen in Typ takes effect and its drawing function becomes active.
    void startNew(TZeichnenAuswahlFrame& tree, QTreeWidgetItem* node);
    // "&Speichern": hands over what was drawn if it makes an element, ends
    // the drawing function and activates the idle one.
    void finish();
    // The function activated by finish(); set by the drawing module.
    void setIdleFunction(MapFunction* function) { m_idleFunction = function; }
    // Chooses a Typ item as the user does.
    void selectType(int index);

    // The strategy of a Typ item.
    static const StdDrawStrategy* strategyAt(int index);

    StdDrawAppearance* appearance() const { return m_appearance; }
    ZeichnenDrawObjectTarget* target() const { return m_target.get(); }
    MapFunction* drawFunction() const { return m_function.get(); }
    bool editing() const { return m_target != nullptr; }

    QComboBox* Typ = nullptr;
    QLineEdit* Name = nullptr;
    QTabWidget* Pages = nullptr;
    QWidget* SymbolPage = nullptr;
    QComboBox* SymbolType = nullptr;
    QLabel* RadiusSideLabel = nullptr;
    QLineEdit* RadiusSideEdit = nullptr;
    QComboBox* RadiusSideUnit = nullptr;
    QWidget* TextPage = nullptr;
    QPlainTextEdit* TextEditor = nullptr;
    QPushButton* TextFontButton = nullptr;
    QWidget* IconPage = nullptr;
    QTableWidget* IconGrid = nullptr;
    QPushButton* IconAddButton = nullptr;
    QWidget* PenPage = nullptr;
    TTolmColorSelector* PenColor = nullptr;
    TStyleComboBox* PenStyle = nullptr;
    QSpinBox* PenWidth = nullptr;
    QWidget* FillPage = nullptr;
    TTolmColorSelector* FillColor = nullptr;
    TStyleComboBox* FillType = nullptr;
    QCheckBox* FillOpaqueCheck = nullptr;
    TTolmColorSelector* FillBackColor = nullptr;
    QPushButton* FinishNewEdit = nullptr;

    // The text a new text element starts with.
    static QString initialText();

signals:
    // The editor is done; the page shows the tree again.
    void finished();

private:
    void typeChanged();
    void setupPages();
    void fillControls();
    void createFunction();
    // Keeps the hatch background controls with the fill style.
    void updateFillBackVisibility();
    // After an edit by the user the map shows it at once (the element being
    // drawn is previewed with the current record).
    void edited();

    void SymbolTypeChange(int index);
    void RadiusSideEditChange(const QString& text);
    void RadiusSideUnitChange(int index);
    void PenStyleChange(int index);
    void PenWidthChange(int value);
    void FillTypeChange(int index);
    void FillOpaqueCheckClick(bool checked);
    void TextEditorChange();
    void NameChange(const QString& text);

    StdDrawAppearance* m_appearance = nullptr;
    std::unique_ptr<ZeichnenDrawObjectTarget> m_target;
    std::unique_ptr<MapFunction> m_function;
    MapFunction* m_idleFunction = nullptr;
    SymbolIcon::VCL::GridPeer* m_gridPeer = nullptr;
    // Set while the controls are filled from the record, so that filling
    // writes nothing back.
    bool m_filling = false;
};
