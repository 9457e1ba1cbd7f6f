#include "monitor/shell/ui/dialogs/target_software_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace zeph::monitor {

TargetSoftwareDialog::TargetSoftwareDialog(ProgramState& state, QWidget* parent)
    : QDialog(parent), choice_(state), choices_(new QButtonGroup(this)) {
    setWindowTitle(QString::fromLatin1(targetdialog::kTitle));
    auto* layout = new QVBoxLayout(this);
    int id = 0;
    for (const char* caption : targetdialog::kChoices) {
        auto* radio = new QRadioButton(QString::fromLatin1(caption), this);
        radio->setObjectName(QStringLiteral("targetRadio%1").arg(id));
        choices_->addButton(radio, id++);
        layout->addWidget(radio);
    }
    choices_->button(choice_.choice())->setChecked(true);

    autoDetectBox_ = new QCheckBox(QString::fromLatin1(targetdialog::kAutoDetection), this);
    autoDetectBox_->setObjectName(QStringLiteral("autoDetectBox"));
    autoDetectBox_->setChecked(choice_.autoDetect());
    layout->addSpacing(8);
    layout->addWidget(autoDetectBox_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    QPushButton* cancel = buttons->button(QDialogButtonBox::Cancel);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    cancel->setEnabled(choice_.cancelEnabled());
    connect(buttons, &QDialogButtonBox::accepted, this, &TargetSoftwareDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TargetSoftwareDialog::reject);
    layout->addWidget(buttons);
}

TargetSoftwareDialog::~TargetSoftwareDialog() {
    if (choice_.isOpen()) {
        choice_.cancel();
    }
}

void TargetSoftwareDialog::accept() {
    choice_.accept(choices_->checkedId(), autoDetectBox_->isChecked());
    QDialog::accept();
}

void TargetSoftwareDialog::reject() {
    if (!choice_.cancelEnabled()) {
        return;
    }
    choice_.cancel();
    QDialog::reject();
}

} // namespace zeph::monitor
