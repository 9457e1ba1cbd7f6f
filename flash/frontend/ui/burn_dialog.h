#pragma once

// ZephBurn's one window: what ZephBurnCL needs (line, speed, chip select and offset,
// programming or reading, erase mode, file), Execute to run it as a child, and its progress,
// times and flash and file information as the records come. The checks, the command line and
// the records' meaning are the core's; this holds the widgets and the run's thread.

#include "common/prompt/prompter.h"
#include "flash/frontend/core/engine_child.h"
#include "flash/frontend/core/front_options.h"
#include "flash/frontend/core/run_fields.h"
#include "flash/frontend/core/run_request.h"

#include <QDialog>

#include <atomic>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <variant>
#include <vector>

class QButtonGroup;
class QComboBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace zeph::burnfront {

class BurnDialog : public QDialog {
    Q_OBJECT
public:
    // `ports` is the Line list and `portIndex` the line chosen at start (-1: none);
    // `enginePath` is the ZephBurnCL to run.
    BurnDialog(const FrontOptions& options, std::vector<std::string> ports, int portIndex,
               std::string enginePath, Prompter& prompter, QWidget* parent = nullptr);
    ~BurnDialog() override;

    bool busy() const { return busy_.load(); }
    int lastExitStatus() const { return lastExitStatus_; }
    // The settings the next run would use.
    RunSettings settings() const;

public slots:
    // Starts a run unless one is running.
    void execute();
    void exitProgram();
    // Ends the program without asking (a signal came): a running child is ended, status 1.
    void endWithoutAsking();

signals:
    // The program is to end with this status.
    void quitRequested(int status);
    // A run has ended (after its boxes), with the status it left.
    void runEnded(int status);

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override; // Escape asks as closing does

private:
    struct RunEnd {
        ChildOutcome outcome;
    };
    struct ChildRunning {};
    using RunEvent = std::variant<flash::PipeRecord, ChildRunning, RunEnd>;

    void buildControls();
    void setMode(bool programming);
    void updateTitle();
    void showFields();
    void browse();
    void showAbout();
    void showHelp();
    // Whether the user agrees to end the running child; if so it is ended and the worker joined.
    bool endRunningChild();
    // A quit question still open when the run ends is closed as if answered No.
    void closeQuitQuestion();
    // With -ax, when the one run could not start: the program ends with status 1.
    void endAfterFailedStart();
    // -ax -sr runs unattended: no box and no question reaches the screen.
    bool boxesShown() const { return !(options_.autoExit && options_.saveResult); }
    void post(RunEvent event);
    void drainEvents();
    void handle(const RunEvent& event);
    void finishRun(const ChildOutcome& outcome);

    FrontOptions options_;
    std::vector<std::string> ports_;
    std::string enginePath_;
    Prompter& prompter_;
    RunFields fields_;
    EngineChild child_;
    std::thread worker_;
    std::atomic<bool> busy_{false};
    int lastExitStatus_ = 0;
    bool programmingRun_ = true;
    bool quitting_ = false;
    bool askingToQuit_ = false;
    // The worker's events reach the window's thread through `posted_`, under its own lock, so
    // the hand-over of each record is ordered by a lock the thread checks can see; a queued call
    // only wakes the window's thread.
    std::mutex postedMutex_;
    std::deque<RunEvent> posted_;
    // Record events wait here while a box they raised is open, so they are handled in order.
    std::deque<RunEvent> pending_;
    bool draining_ = false;

    QRadioButton* programFlash_ = nullptr;
    QRadioButton* readFlash_ = nullptr;
    QComboBox* line_ = nullptr;
    QComboBox* baudRate_ = nullptr;
    QComboBox* chipSelect_ = nullptr;
    QLineEdit* chipOffset_ = nullptr;
    QRadioButton* eraseRelevant_ = nullptr;
    QRadioButton* eraseWhole_ = nullptr;
    QRadioButton* update_ = nullptr;
    QLineEdit* fromAddress_ = nullptr;
    QLineEdit* toAddress_ = nullptr;
    QLineEdit* dataFile_ = nullptr;
    QPushButton* browse_ = nullptr;
    QProgressBar* xfer_ = nullptr;
    QProgressBar* prog_ = nullptr;
    QLineEdit* total_ = nullptr;
    QLineEdit* erase_ = nullptr;
    QLineEdit* burn_ = nullptr;
    QLineEdit* manufacturer_ = nullptr;
    QLineEdit* model_ = nullptr;
    QLineEdit* chips_ = nullptr;
    QLineEdit* fileType_ = nullptr;
    QLineEdit* lowestAddress_ = nullptr;
    QLineEdit* highestAddress_ = nullptr;
};

} // namespace zeph::burnfront
