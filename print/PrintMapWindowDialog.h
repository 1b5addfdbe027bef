#pragma once

#include <QDialog>

#include <cstdint>

class PrintModule;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

// "Was drucken?": the window content fitted to the page or an area around
// the window's centre at a scale, a subtitle and the scale bar switch. The
// dialog is a stack of panels: every visible one takes its place by its Tag
// (the property "Tag"), from the top in increasing order, centred; the
// dialog is as wide as the widest and as high as all of them.
class TPrintMapWindowDialog : public QDialog {
    Q_OBJECT
public:
    TPrintMapWindowDialog(PrintModule& module, QWidget* parent = nullptr);

    // Moves a panel into the dialog (with Tag 3, among the others).
    void AddPanel(QWidget* panel);

    // Fills the fields from the module; false, after telling the user, when
    // the module allows neither kind of print.
    bool SetUp(std::int32_t initialScale);
    // Places the visible panels and fixes the dialog's size.
    void LayOutPanels();

    // 0: the window content.
    std::int32_t ChosenScale() const { return m_chosenScale; }
    bool ScaleBar() const { return m_scaleBar; }
    QString SubTitle() const;

    QWidget* OptionPanel;
    QRadioButton* radContent;
    QRadioButton* radMassstab;
    QLabel* lblMassstab;
    QLineEdit* sleMassstab;
    QWidget* MassstabOnlyPanel;
    QLabel* Label2;
    QLabel* lblMassstabOnly;
    QLineEdit* sleMassstabOnly;
    QWidget* SubTitlePanel;
    QLabel* lblTitle;
    QPlainTextEdit* mleTitle;
    QWidget* LeistePanel;
    QCheckBox* chkMLeiste;
    QWidget* ButtonPanel;
    QPushButton* pshOK;
    QPushButton* pshCancel;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void radContentClick();
    void radMassstabClick();
    void scaleChanged(QLineEdit* field, const QString& text);
    void scaleLeft(QLineEdit* field);
    std::int32_t clamp(std::int64_t n) const;

    PrintModule& m_module;
    std::int32_t m_chosenScale = 0;
    bool m_scaleBar = true;
};
