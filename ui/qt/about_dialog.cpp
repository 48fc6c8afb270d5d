#include "ui/qt/about_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "cirrowisp_version.h"
#include "res/captions.h"
#include "ui/qt/app_icon.h"

namespace cirrowisp {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral(CIRROWISP_ABOUT_TITLE));
    setObjectName(QStringLiteral("aboutDialog"));

    auto* iconLabel = new QLabel(this);
    iconLabel->setObjectName(QStringLiteral("aboutIcon"));
    iconLabel->setPixmap(applicationIcon().pixmap(32, 32));

    // Plain text: the caption is shown as it stands, with no markup or mnemonic reading.
    auto* versionLabel = new QLabel(QStringLiteral(CIRROWISP_ABOUT_TEXT), this);
    versionLabel->setObjectName(QStringLiteral("aboutVersion"));
    versionLabel->setTextFormat(Qt::PlainText);

    auto* okButton = new QPushButton(QStringLiteral(CIRROWISP_OK_CAPTION), this);
    okButton->setObjectName(QStringLiteral("aboutOk"));
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttonColumn = new QVBoxLayout;
    buttonColumn->addWidget(okButton);
    buttonColumn->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(iconLabel, 0, Qt::AlignTop);
    layout->addSpacing(8);
    layout->addWidget(versionLabel, 1, Qt::AlignTop);
    layout->addSpacing(24);
    layout->addLayout(buttonColumn);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace cirrowisp
