#pragma once

// The dialogs that set how the receiver's serial ports talk: Serial Port (main and DGPS),
// UART Configuration and NMEA Setup, over the rules of monitor/shell/port_dialogs.h. Each sends
// nothing itself: Send accepts the dialog once its checks pass, and the caller takes the values.

#include "common/prompt/prompter.h"
#include "monitor/shell/port_dialogs.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QComboBox;

namespace zeph::monitor {

class SerialPortDialog : public QDialog {
    Q_OBJECT
public:
    SerialPortDialog(SerialPortRole role, const DataSourceSettings& current,
                     QWidget* parent = nullptr);
    LineValues values() const;

private:
    SerialPortSetup setup_;
    QComboBox* baud_;
    QComboBox* dataBits_;
    QComboBox* parity_;
    QComboBox* stopBits_;
};

class UartConfigurationDialog : public QDialog {
    Q_OBJECT
public:
    explicit UartConfigurationDialog(Prompter& prompter, QWidget* parent = nullptr);
    const UartConfiguration& configuration() const { return config_; }
    void accept() override;

private:
    struct Group {
        QCheckBox* set;
        std::array<QComboBox*, 5> lists; // protocol, baud, data bits, parity, stop bits
    };
    void showGroup(size_t uart);
    void takeLine(size_t uart);

    Prompter& prompter_;
    UartConfiguration config_;
    std::array<Group, UartConfiguration::kUarts> groups_{};
};

class NmeaSetupDialog : public QDialog {
    Q_OBJECT
public:
    explicit NmeaSetupDialog(Prompter& prompter, QWidget* parent = nullptr);
    NmeaSetupEntries entries() const;
    NmeaModeValues values() const { return NmeaSetup::values(entries()); }
    void accept() override;

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void showEntries(const NmeaSetupEntries& entries);

    Prompter& prompter_;
    std::array<QComboBox*, nmeadialog::kSentences> rates_{};
    QComboBox* baud_;
    QCheckBox* checksums_;
    QCheckBox* debugData_;
};

} // namespace zeph::monitor
