#include "monitor/shell/ui/dialogs/nav_dialog.h"

#include "monitor/shell/ui/dialogs/dialog_texts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <map>
#include <string>

namespace zeph::monitor {
namespace {

using navdialog::Control;
using navdialog::Kind;

// The text a radio or check box shows: its own, else the catalogue's.
std::string controlText(const CommandSpec& spec, const Control& c) {
    if (c.text != nullptr) {
        return c.text;
    }
    const CommandField* field = findField(spec, c.key);
    if (field == nullptr) {
        return {};
    }
    if (c.kind == Kind::Radio) {
        for (const Choice& choice : field->choices) {
            if (choice.code == c.code) {
                return choice.text;
            }
        }
        return {};
    }
    return field->label != nullptr ? field->label : "";
}

} // namespace

NavCommandDialog::NavCommandDialog(NavDialog& dialog, Prompter& prompter, QWidget* parent)
    : QDialog(parent), dialog_(dialog), prompter_(prompter) {
    setObjectName(QStringLiteral("navDialog"));
    setWindowTitle(qText(dialog_.caption()));
    auto* layout = new QVBoxLayout(this);
    std::map<std::string, QButtonGroup*> radioGroups;
    for (const navdialog::Group& group : dialog_.layout().groups) {
        QWidget* holder = this;
        auto* grid = new QGridLayout;
        if (group.title != nullptr) {
            auto* box = new QGroupBox(qText(group.title), this);
            box->setLayout(grid);
            layout->addWidget(box);
            holder = box;
        } else {
            layout->addLayout(grid);
        }
        for (const Control& c : group.controls) {
            QWidget* w = makeControl(c, holder);
            grid->addWidget(w, c.row, c.column, 1, c.span);
            if (c.kind == Kind::Radio) {
                QButtonGroup*& buttons = radioGroups[c.key];
                if (buttons == nullptr) {
                    buttons = new QButtonGroup(this);
                }
                buttons->addButton(static_cast<QRadioButton*>(w));
            }
        }
    }
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* send =
        buttons->addButton(QString::fromLatin1(navdialog::kSend), QDialogButtonBox::AcceptRole);
    send->setObjectName(QStringLiteral("sendButton"));
    send->setDefault(true);
    QPushButton* cancel =
        buttons->addButton(QString::fromLatin1(navdialog::kCancel), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    showState();
}

QWidget* NavCommandDialog::makeControl(const Control& c, QWidget* parent) {
    const std::string key = c.key;
    QWidget* w = nullptr;
    switch (c.kind) {
    case Kind::Label:
        w = new QLabel(qText(c.text != nullptr ? c.text : ""), parent);
        break;
    case Kind::Radio: {
        auto* radio = new QRadioButton(qText(controlText(dialog_.command(), c)), parent);
        radio->setObjectName(qText(key + "-" + std::to_string(c.code)));
        connect(radio, &QRadioButton::clicked, this, [this, key, code = c.code] {
            dialog_.choose(key, code);
            showState();
        });
        w = radio;
        break;
    }
    case Kind::Check: {
        auto* box = new QCheckBox(qText(controlText(dialog_.command(), c)), parent);
        box->setObjectName(qText(key));
        connect(box, &QCheckBox::clicked, this, [this, key](bool on) {
            dialog_.setChecked(key, on);
            showState();
        });
        w = box;
        break;
    }
    case Kind::Edit: {
        auto* line = new QLineEdit(parent);
        line->setObjectName(qText(key));
        connect(line, &QLineEdit::textEdited, this,
                [this, key](const QString& text) { dialog_.setText(key, text.toStdString()); });
        w = line;
        break;
    }
    case Kind::List: {
        auto* list = new QComboBox(parent);
        list->setObjectName(qText(key));
        for (const std::string& entry : dialog_.entries(key)) {
            list->addItem(qText(entry));
        }
        connect(list, &QComboBox::activated, this,
                [this, key](int index) { dialog_.chooseEntry(key, index); });
        w = list;
        break;
    }
    }
    bound_.push_back({&c, w});
    return w;
}

void NavCommandDialog::showState() {
    for (const Bound& b : bound_) {
        const Control& c = *b.control;
        const QSignalBlocker quiet(b.widget);
        b.widget->setEnabled(dialog_.enabled(c.enabling()));
        b.widget->setHidden(c.hidden);
        switch (c.kind) {
        case Kind::Radio:
        case Kind::Check:
            static_cast<QAbstractButton*>(b.widget)->setChecked(dialog_.checked(c));
            break;
        case Kind::Edit: {
            auto* line = static_cast<QLineEdit*>(b.widget);
            const QString text = qText(dialog_.text(c.key));
            if (line->text() != text) {
                line->setText(text);
            }
            break;
        }
        case Kind::List:
            static_cast<QComboBox*>(b.widget)->setCurrentIndex(dialog_.chosenEntry(c.key));
            break;
        case Kind::Label:
            break;
        }
    }
}

void NavCommandDialog::accept() {
    if (const std::optional<std::string> refusal = dialog_.send()) {
        prompter_.tell(*refusal, Prompter::Icon::Warning);
        return;
    }
    QDialog::accept();
}

} // namespace zeph::monitor
