#pragma once

#include "monitor/messages/program_state.h"
#include "monitor/shell/target_software_choice.h"

#include <QDialog>

class QButtonGroup;
class QCheckBox;

namespace zeph::monitor {

// "Select Target Software". Opening sets ProgramState::targetDialogOpen; OK and Cancel clear it.
class TargetSoftwareDialog : public QDialog {
    Q_OBJECT
public:
    TargetSoftwareDialog(ProgramState& state, QWidget* parent = nullptr);
    // A dialog destroyed while still open (its window closed with the program) no longer holds
    // back auto-detection.
    ~TargetSoftwareDialog() override;

    void accept() override;
    // Without Cancel, while no class is known, the user must choose one.
    void reject() override;

private:
    TargetSoftwareChoice choice_;
    QButtonGroup* choices_;
    QCheckBox* autoDetectBox_;
};

} // namespace zeph::monitor
