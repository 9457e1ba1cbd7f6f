#pragma once

// frmSelNmea: switches each sentence of the receiver on (at a rate) or off and changes its
// speed, over SelNmeaCore, on a port object of its own.

#include "dashboard/core/sel_nmea.h"
#include "dashboard/ui/activation_tracker.h"

#include <QWidget>

#include <array>

class QComboBox;
class QRadioButton;

namespace zeph::dashboard {

class frmSelNmea : public QWidget {
    Q_OBJECT
public:
    frmSelNmea(PortObject& port, const SettingsFile& settingsFile, Prompter& prompter,
               ActivationTracker& tracker, QWidget* parent = nullptr);

    SelNmeaCore& core() { return core_; }
    bool loaded() const { return loaded_; }

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    struct Row {
        QRadioButton* enable = nullptr;
        QRadioButton* disable = nullptr;
        QComboBox* rate = nullptr;
    };

    // Runs once, when the window is first shown.
    void load();
    void subNmeaComboInit();

    SelNmeaCore core_;
    const SettingsFile& settingsFile_;
    ActivationTracker& tracker_;
    bool loaded_ = false;
    std::array<Row, kSelSentences> rows_{};
    QComboBox* baud_ = nullptr;
};

} // namespace zeph::dashboard
