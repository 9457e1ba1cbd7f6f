#pragma once

// The plot views' option dialogs: Preferences (Setup > Preferences... and the Signal view), the
// Radar view's Tracking View Configuration and the Map view's Preferences. Each shows the
// settings when it opens and writes them on Save or OK; a field that fails its check keeps the
// dialog open with a message and the focus on that field. Whoever opened the dialog makes the
// views reload after it was accepted.

#include "common/prompt/prompter.h"
#include "monitor/shell/profile_file.h"
#include "monitor/views/view_options.h"

#include <QDialog>

#include <array>

class QButtonGroup;
class QLineEdit;

namespace zeph::monitor {

class PreferencesDialog : public QDialog {
    Q_OBJECT
public:
    PreferencesDialog(ProfileFile& profile, Prompter& prompter, QWidget* parent = nullptr);
    void accept() override;

private:
    ProfileFile& profile_;
    Prompter& prompter_;
    PreferencesValues values_;
    QButtonGroup* graphType_;
    QButtonGroup* orientation_;
    QLineEdit* scale_;
};

class TrackingViewDialog : public QDialog {
    Q_OBJECT
public:
    TrackingViewDialog(ProfileFile& profile, Prompter& prompter, QWidget* parent = nullptr);
    void accept() override;

private:
    ProfileFile& profile_;
    Prompter& prompter_;
    TrackingValues values_;
    QButtonGroup* orientation_;
    QLineEdit* outerVelocity_;
};

class MapPreferencesDialog : public QDialog {
    Q_OBJECT
public:
    MapPreferencesDialog(ProfileFile& profile, Prompter& prompter, QWidget* parent = nullptr);
    void accept() override;

private:
    ProfileFile& profile_;
    Prompter& prompter_;
    // Scale, latitude, longitude and the three radii, in MapOptionValues::Field order.
    std::array<QLineEdit*, 6> fields_{};
};

} // namespace zeph::monitor
