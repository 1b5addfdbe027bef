#pragma once

#include <QDialog>

class QLabel;

namespace Modul {
class Basis;
}

// The About box: program icon, product name, version line and the two-line
// rights notice of the application object.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(const Modul::Basis& basis, QWidget* parent = nullptr);

    QLabel* lblProduct() const { return m_product; }
    QLabel* lblVersion() const { return m_version; }
    QLabel* lblCopyright() const { return m_copyright; }

private:
    QLabel* m_product;
    QLabel* m_version;
    QLabel* m_copyright;
};
