#include "AboutBox.h"

#include "AppResources.h"
#include "ModulBasis.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

TAboutBox::TAboutBox(const Modul::Basis& basis, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TAboutBox"));
    setWindowTitle(QStringLiteral("Info"));
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->setHorizontalSpacing(16);

    auto* icon = new QLabel(this);
    icon->setPixmap(AppResources::programPixmap());
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    layout->addWidget(icon, 0, 0, 3, 1);

    m_product = new QLabel(basis.appName(), this);
    QFont bold = m_product->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.4);
    m_product->setFont(bold);
    layout->addWidget(m_product, 0, 1);
    m_version = new QLabel(basis.appVersionText(), this);
    layout->addWidget(m_version, 1, 1);
    m_copyright = new QLabel(basis.copyrightText(), this);
    m_copyright->setTextFormat(Qt::PlainText);
    layout->addWidget(m_copyright, 2, 1);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons, 3, 0, 1, 2);
}
