#include "monitor/shell/ui/dialogs/port_dialogs.h"

#include "monitor/shell/ui/dialogs/dialog_texts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace zeph::monitor {
namespace {

template <class List>
QComboBox* listBox(const char* name, const List& entries, QWidget* parent, bool editable = false) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setEditable(editable);
    if (editable) {
        box->setInsertPolicy(QComboBox::NoInsert);
    }
    for (const auto& entry : entries) {
        box->addItem(qText(entry));
    }
    return box;
}

// Shows `text` as the list's choice; "" (or a text it does not list) chooses nothing.
void choose(QComboBox* box, const std::string& text) {
    if (box->isEditable()) {
        box->setEditText(qText(text));
    } else {
        box->setCurrentIndex(box->findText(qText(text)));
    }
}

std::string chosen(const QComboBox* box) {
    return box->currentText().toStdString();
}

// "Send" and "Cancel", wired to accept and reject.
void addSendCancel(QDialog* dialog, QLayout* layout) {
    auto* buttons = new QDialogButtonBox(dialog);
    QPushButton* send =
        buttons->addButton(QString::fromLatin1(portdialog::kSend), QDialogButtonBox::AcceptRole);
    send->setObjectName(QStringLiteral("sendButton"));
    send->setDefault(true);
    QPushButton* cancel =
        buttons->addButton(QString::fromLatin1(portdialog::kCancel), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    layout->addWidget(buttons);
}

} // namespace

SerialPortDialog::SerialPortDialog(SerialPortRole role, const DataSourceSettings& current,
                                   QWidget* parent)
    : QDialog(parent), setup_(role, current) {
    setWindowTitle(QString::fromLatin1(setup_.caption()));
    const SerialPortSetup::Lists lists = setup_.lists();
    baud_ = listBox("baudBox", lists.baud, this);
    dataBits_ = listBox("dataBitsBox", lists.dataBits, this);
    parity_ = listBox("parityBox", lists.parity, this);
    stopBits_ = listBox("stopBitsBox", lists.stopBits, this);
    const LineValues& initial = setup_.initial();
    choose(baud_, initial.baud);
    choose(dataBits_, initial.dataBits);
    choose(parity_, initial.parity);
    choose(stopBits_, initial.stopBits);
    for (QComboBox* box : {dataBits_, parity_, stopBits_}) {
        box->setEnabled(!setup_.onlyBaudEditable());
    }

    auto* grid = new QGridLayout;
    const std::pair<const char*, QComboBox*> rows[] = {{portdialog::kBaudLabel, baud_},
                                                       {portdialog::kDataBitsLabel, dataBits_},
                                                       {portdialog::kParityLabel, parity_},
                                                       {portdialog::kStopBitsLabel, stopBits_}};
    int row = 0;
    for (const auto& [label, box] : rows) {
        grid->addWidget(new QLabel(QString::fromLatin1(label), this), row, 0);
        grid->addWidget(box, row++, 1);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    addSendCancel(this, layout);
}

LineValues SerialPortDialog::values() const {
    return {chosen(baud_), chosen(dataBits_), chosen(parity_), chosen(stopBits_)};
}

UartConfigurationDialog::UartConfigurationDialog(Prompter& prompter, QWidget* parent)
    : QDialog(parent), prompter_(prompter) {
    using namespace uartdialog;
    setWindowTitle(QString::fromLatin1(kTitle));
    auto* layout = new QVBoxLayout(this);
    auto* groupsRow = new QHBoxLayout;
    for (size_t uart = 0; uart < UartConfiguration::kUarts; ++uart) {
        auto* box = new QGroupBox(QString::fromLatin1(kGroups[uart]), this);
        auto* grid = new QGridLayout(box);
        Group& g = groups_[uart];
        const std::string n = std::to_string(uart);
        g.set = new QCheckBox(QString::fromLatin1(kSet), box);
        g.set->setObjectName(QString::fromStdString("setBox" + n));
        g.lists = {listBox(("protocolBox" + n).c_str(), kProtocols, box),
                   listBox(("baudBox" + n).c_str(), portdialog::kBaudRates, box),
                   listBox(("dataBitsBox" + n).c_str(), portdialog::kDataBits, box),
                   listBox(("parityBox" + n).c_str(), portdialog::kParities, box),
                   listBox(("stopBitsBox" + n).c_str(), portdialog::kStopBits, box)};
        grid->addWidget(g.set, 0, 0, 1, 2);
        const std::array<const char*, 5> labels = {kProtocolLabel, kBaudLabel, kDataBitsLabel,
                                                   kParityLabel, kStopBitsLabel};
        for (int i = 0; i < 5; ++i) {
            grid->addWidget(new QLabel(QString::fromLatin1(labels[i]), box), i + 1, 0);
            grid->addWidget(g.lists[i], i + 1, 1);
        }
        groupsRow->addWidget(box);
        connect(g.set, &QCheckBox::clicked, this, [this, uart](bool checked) {
            config_.setSet(uart, checked);
            showGroup(uart);
        });
        connect(g.lists[0], &QComboBox::currentIndexChanged, this, [this, uart] {
            config_.setProtocol(uart, chosen(groups_[uart].lists[0]));
            showGroup(uart);
        });
        for (int i = 1; i < 5; ++i) {
            connect(g.lists[i], &QComboBox::currentIndexChanged, this,
                    [this, uart] { takeLine(uart); });
        }
        showGroup(uart);
    }
    layout->addLayout(groupsRow);

    auto* monitorBox = new QGroupBox(QString::fromLatin1(kMonitorUart), this);
    auto* monitorRow = new QHBoxLayout(monitorBox);
    for (size_t uart = 0; uart < kMonitorUarts.size(); ++uart) {
        auto* radio = new QRadioButton(QString::fromLatin1(kMonitorUarts[uart]), monitorBox);
        radio->setObjectName(QStringLiteral("monitorUart%1").arg(uart));
        radio->setChecked(uart == config_.monitorUart());
        connect(radio, &QRadioButton::toggled, this, [this, uart](bool on) {
            if (on) {
                config_.setMonitorUart(uart);
            }
        });
        monitorRow->addWidget(radio);
    }
    auto* help = new QPushButton(QString::fromLatin1(kHelp), this);
    help->setObjectName(QStringLiteral("helpButton"));
    help->setAutoDefault(false);
    connect(help, &QPushButton::clicked, this,
            [this] { prompter_.tell(kHelpText, Prompter::Icon::Information); });
    auto* row = new QHBoxLayout;
    row->addWidget(monitorBox, 1);
    row->addWidget(help);
    layout->addLayout(row);
    for (const char* warning : {kWarning, kSdkOnly}) {
        layout->addWidget(new QLabel(QString::fromLatin1(warning), this));
    }
    addSendCancel(this, layout);
}

// The group shows what the rules made of it; its own signals stay quiet meanwhile.
void UartConfigurationDialog::showGroup(size_t uart) {
    const UartChoice& g = config_.group(uart);
    const UartGroupEnabling& e = config_.enabling(uart);
    Group& w = groups_[uart];
    const std::array<const std::string*, 5> texts = {&g.protocol, &g.baud, &g.dataBits, &g.parity,
                                                     &g.stopBits};
    const std::array<bool, 5> enabled = {e.protocol, e.baud, e.dataBits, e.parity, e.stopBits};
    w.set->setChecked(g.set);
    for (size_t i = 0; i < 5; ++i) {
        const QSignalBlocker quiet(w.lists[i]);
        choose(w.lists[i], *texts[i]);
        w.lists[i]->setEnabled(enabled[i]);
    }
}

void UartConfigurationDialog::takeLine(size_t uart) {
    const Group& w = groups_[uart];
    config_.setLine(
        uart, {chosen(w.lists[1]), chosen(w.lists[2]), chosen(w.lists[3]), chosen(w.lists[4])});
}

void UartConfigurationDialog::accept() {
    if (const std::optional<std::string> refusal = config_.check()) {
        prompter_.tell(*refusal, Prompter::Icon::Error);
        return;
    }
    QDialog::accept();
}

NmeaSetupDialog::NmeaSetupDialog(Prompter& prompter, QWidget* parent)
    : QDialog(parent), prompter_(prompter) {
    using namespace nmeadialog;
    setWindowTitle(QString::fromLatin1(kTitle));
    auto* rates = new QGroupBox(QString::fromLatin1(kRateHeading), this);
    auto* grid = new QGridLayout(rates);
    for (size_t i = 0; i < kSentences; ++i) {
        rates_[i] = listBox(("rateBox" + std::to_string(i)).c_str(), kRateEntries, rates, true);
        const int row = static_cast<int>(i % 5);
        const int column = static_cast<int>(i / 5) * 2;
        grid->addWidget(new QLabel(QString::fromLatin1(kRateLabels[i]), rates), row, column);
        grid->addWidget(rates_[i], row, column + 1);
    }
    baud_ = listBox("baudBox", kBaudRates, this, true);
    checksums_ = new QCheckBox(QString::fromLatin1(kChecksums), this);
    checksums_->setObjectName(QStringLiteral("checksumsBox"));
    debugData_ = new QCheckBox(QString::fromLatin1(kDebugData), this);
    debugData_->setObjectName(QStringLiteral("debugDataBox"));
    auto* defaults = new QPushButton(QString::fromLatin1(kSetDefaults), this);
    defaults->setObjectName(QStringLiteral("defaultsButton"));
    defaults->setAutoDefault(false);
    connect(defaults, &QPushButton::clicked, this, [this] {
        NmeaSetupEntries e = entries();
        NmeaSetup::setDefaults(e);
        showEntries(e);
    });

    auto* baudRow = new QHBoxLayout;
    baudRow->addWidget(new QLabel(QString::fromLatin1(kBaudLabel), this));
    baudRow->addWidget(baud_);
    baudRow->addWidget(checksums_);
    baudRow->addWidget(defaults);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(rates);
    layout->addLayout(baudRow);
    layout->addWidget(debugData_);
    layout->addWidget(new QLabel(QString::fromLatin1(kNote), this));
    addSendCancel(this, layout);
    showEntries(NmeaSetup::opening());
}

NmeaSetupEntries NmeaSetupDialog::entries() const {
    NmeaSetupEntries e;
    for (size_t i = 0; i < rates_.size(); ++i) {
        e.rates[i] = chosen(rates_[i]);
    }
    e.baud = chosen(baud_);
    e.checksums = checksums_->isChecked();
    e.debugShown = !debugData_->isHidden();
    e.debugData = debugData_->isChecked();
    return e;
}

void NmeaSetupDialog::showEntries(const NmeaSetupEntries& e) {
    for (size_t i = 0; i < rates_.size(); ++i) {
        choose(rates_[i], e.rates[i]);
    }
    choose(baud_, e.baud);
    checksums_->setChecked(e.checksums);
    debugData_->setHidden(!e.debugShown);
    debugData_->setChecked(e.debugData);
}

void NmeaSetupDialog::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::RightButton) {
        QDialog::mouseDoubleClickEvent(event);
        return;
    }
    NmeaSetupEntries e = entries();
    NmeaSetup::toggleDebugBox(e);
    showEntries(e);
}

void NmeaSetupDialog::accept() {
    if (const std::optional<std::string> refusal = NmeaSetup::check(entries())) {
        prompter_.tell(*refusal, Prompter::Icon::Warning);
        return;
    }
    QDialog::accept();
}

} // namespace zeph::monitor
