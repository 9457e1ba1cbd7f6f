#pragma once

// The small windows of the View menu: time, position, precision, status, the NMEA message
// terminal and the about window. Each shows what its core makes of ReceiverState on timers of
// its own; they are made on first use and afterwards only shown and hidden.

#include "dashboard/core/display_texts.h"
#include "dashboard/ui/activation_tracker.h"

#include <QTimer>
#include <QWidget>

class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;

namespace zeph::dashboard {

// A window of the program that hears of its activation (coming from another window of the
// program) and its deactivation (another window of the program taking over).
class StateForm : public QWidget {
    Q_OBJECT
public:
    StateForm(ActivationTracker& tracker, QWidget* parent);

protected:
    virtual void activated() {}
    virtual void deactivated() {}
    bool event(QEvent* event) override;
    // Runs `timer` at the core's interval; 0 stops it.
    static void follow(QTimer& timer, int intervalMs);

private:
    ActivationTracker& tracker_;
};

class TimeForm : public StateForm {
    Q_OBJECT
public:
    TimeForm(ReceiverState& state, ActivationTracker& tracker, QWidget* parent);
    void tick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    ReceiverState& state_;
    TimeCore core_;
    QTimer NowTimer;
    QLabel* date_;
    QLabel* time_;
};

class PositionForm : public StateForm {
    Q_OBJECT
public:
    PositionForm(const ReceiverState& state, ActivationTracker& tracker, QWidget* parent);
    void tick();

protected:
    void activated() override;
    void deactivated() override;

private:
    const ReceiverState& state_;
    PositionCore core_;
    QTimer PositionTimer;
    QLabel* latitude_;
    QLabel* longitude_;
    QLabel* altitude_;
};

class PrecisionForm : public StateForm {
    Q_OBJECT
public:
    PrecisionForm(const ReceiverState& state, ActivationTracker& tracker, QWidget* parent);
    void tick();

protected:
    void activated() override;
    void deactivated() override;

private:
    const ReceiverState& state_;
    PrecisionCore core_;
    QTimer PrecisionTimer;
    QLabel* pdop_;
    QLabel* hdop_;
    QLabel* vdop_;
};

class StatusForm : public StateForm {
    Q_OBJECT
public:
    StatusForm(ReceiverState& state, ActivationTracker& tracker, QWidget* parent);
    void tick();

protected:
    void activated() override;
    void deactivated() override;

private:
    ReceiverState& state_;
    StatusCore core_;
    QTimer StatusTimer;
    QLabel* status_;
    QLineEdit* messages_;
    QLabel* fixIndicator_;
};

class DisplayForm : public StateForm {
    Q_OBJECT
public:
    DisplayForm(ReceiverState& state, ActivationTracker& tracker, QWidget* parent);

protected:
    void activated() override;
    void deactivated() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void sync();

    ReceiverState& state_;
    TerminalCore core_;
    QTimer ActTimer;
    QTimer CartoonTimer;
    QPlainTextEdit* display_;
    QLineEdit* status_;
    QPushButton* action_;
    QPushButton* clear_;
    std::size_t shownSize_ = 0;
};

class InformationForm : public StateForm {
    Q_OBJECT
public:
    InformationForm(ActivationTracker& tracker, QWidget* parent);
};

// The six windows behind their View menu entries.
class DisplayWindows {
public:
    DisplayWindows(ReceiverState& state, ActivationTracker& tracker, QWidget* owner);
    ~DisplayWindows();
    DisplayWindows(const DisplayWindows&) = delete;
    DisplayWindows& operator=(const DisplayWindows&) = delete;

    // "Time", "Position", "Precision" > "Normal", "Status", "Terminal", "Information".
    void addTo(QMenu* view);

private:
    // Makes the window on first use, then shows it without waiting for it.
    template <typename Form, typename Make> void show(Form*& form, Make make);

    ReceiverState& state_;
    ActivationTracker& tracker_;
    QWidget* owner_;
    TimeForm* time_ = nullptr;
    PositionForm* position_ = nullptr;
    PrecisionForm* precision_ = nullptr;
    StatusForm* status_ = nullptr;
    DisplayForm* display_ = nullptr;
    InformationForm* information_ = nullptr;
};

} // namespace zeph::dashboard
