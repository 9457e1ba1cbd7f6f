#include "monitor/views/ui/dialogs/view_dialogs.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace zeph::monitor {
namespace {

QString qText(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string text(const QLineEdit* edit) {
    return edit->text().toStdString();
}

QLineEdit* field(const char* name, const std::string& value, QWidget* parent) {
    auto* edit = new QLineEdit(qText(value), parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

// A pair of radio buttons with ids 0 and 1 in a titled group.
QGroupBox* choiceGroup(const char* title, const char* first, const char* second,
                       const char* firstName, const char* secondName, int checked,
                       QButtonGroup*& group, QWidget* parent) {
    auto* box = new QGroupBox(QString::fromLatin1(title), parent);
    auto* layout = new QVBoxLayout(box);
    group = new QButtonGroup(parent);
    int id = 0;
    for (const auto& [caption, name] :
         {std::pair{first, firstName}, std::pair{second, secondName}}) {
        auto* radio = new QRadioButton(QString::fromLatin1(caption), box);
        radio->setObjectName(QString::fromLatin1(name));
        group->addButton(radio, id++);
        layout->addWidget(radio);
    }
    if (QAbstractButton* b = group->button(checked == 1 ? 1 : 0)) {
        b->setChecked(true);
    }
    return box;
}

// Save (or OK) and Cancel.
QDialogButtonBox* buttons(QDialog* dialog, const char* acceptText) {
    auto* box = new QDialogButtonBox(dialog);
    QPushButton* ok = box->addButton(QString::fromLatin1(acceptText), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("saveButton"));
    ok->setDefault(true);
    QPushButton* cancel = box->addButton(QDialogButtonBox::Cancel);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    QObject::connect(box, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return box;
}

// The message, then the field that failed holds the focus with its text selected.
void refuse(Prompter& prompter, QLineEdit* edit, const std::string& message) {
    prompter.tell(message, Prompter::Icon::Warning);
    edit->setFocus();
    edit->selectAll();
}

} // namespace

PreferencesDialog::PreferencesDialog(ProfileFile& profile, Prompter& prompter, QWidget* parent)
    : QDialog(parent), profile_(profile), prompter_(prompter), values_(loadPreferences(profile)) {
    using namespace prefsdialog;
    setWindowTitle(QString::fromLatin1(kTitle));
    auto* layout = new QVBoxLayout(this);
    auto* choices = new QHBoxLayout;
    choices->addWidget(choiceGroup(kGraphGroup, kBar, kLine, "barRadio", "lineRadio",
                                   values_.graphType, graphType_, this));
    choices->addWidget(choiceGroup(kOrientationGroup, kNorthUp, kHeadingUp, "northUpRadio",
                                   "headingUpRadio", values_.orientation, orientation_, this));
    layout->addLayout(choices);
    auto* map = new QGroupBox(QString::fromLatin1(kMapGroup), this);
    auto* mapRow = new QHBoxLayout(map);
    scale_ = field("scaleEdit", values_.scale, map);
    mapRow->addWidget(scale_);
    mapRow->addWidget(new QLabel(QString::fromLatin1(kScaleUnit), map));
    layout->addWidget(map);
    // The timer delay and the two check boxes are carried in values_, never shown.
    layout->addWidget(buttons(this, kSave));
}

void PreferencesDialog::accept() {
    PreferencesValues v = values_;
    v.graphType = graphType_->checkedId();
    v.orientation = orientation_->checkedId();
    v.scale = text(scale_);
    if (const std::optional<FieldError> e = savePreferences(profile_, v)) {
        refuse(prompter_, scale_, e->message);
        return;
    }
    QDialog::accept();
}

TrackingViewDialog::TrackingViewDialog(ProfileFile& profile, Prompter& prompter, QWidget* parent)
    : QDialog(parent), profile_(profile), prompter_(prompter), values_(loadTracking(profile)) {
    using namespace trackingdialog;
    setWindowTitle(QString::fromLatin1(kTitle));
    auto* layout = new QVBoxLayout(this);
    auto* legend = new QGridLayout;
    const std::pair<const char*, const char*> colours[] = {
        {kGreen, kGreenText}, {kBlue, kBlueText}, {kRed, kRedText}};
    int row = 0;
    for (const auto& [name, meaning] : colours) {
        legend->addWidget(new QLabel(QString::fromLatin1(name), this), row, 0);
        legend->addWidget(new QLabel(QString::fromLatin1(meaning), this), row++, 1);
    }
    layout->addLayout(legend);
    for (const char* line : {kHorizon, kOverhead, kArrow}) {
        auto* label = new QLabel(QString::fromLatin1(line), this);
        label->setWordWrap(true);
        layout->addWidget(label);
    }
    layout->addWidget(choiceGroup(prefsdialog::kOrientationGroup, prefsdialog::kNorthUp,
                                  prefsdialog::kHeadingUp, "northUpRadio", "headingUpRadio",
                                  values_.orientation, orientation_, this));
    auto* form = new QFormLayout;
    outerVelocity_ = field("outerVelocityEdit", values_.outerVelocity, this);
    form->addRow(QString::fromLatin1(kOuterVelocity), outerVelocity_);
    QLineEdit* position = field("outerPositionEdit", std::to_string(values_.outerPosition), this);
    position->setEnabled(false);
    form->addRow(QString::fromLatin1(kOuterPosition), position);
    layout->addLayout(form);
    layout->addWidget(buttons(this, "OK"));
}

void TrackingViewDialog::accept() {
    TrackingValues v = values_;
    v.orientation = orientation_->checkedId();
    v.outerVelocity = text(outerVelocity_);
    if (const std::optional<FieldError> e = saveTracking(profile_, v)) {
        refuse(prompter_, outerVelocity_, e->message);
        return;
    }
    QDialog::accept();
}

MapPreferencesDialog::MapPreferencesDialog(ProfileFile& profile, Prompter& prompter,
                                           QWidget* parent)
    : QDialog(parent), profile_(profile), prompter_(prompter) {
    using namespace mapdialog;
    setWindowTitle(QString::fromLatin1(kTitle));
    const MapOptionValues values = loadMapOptions(profile);
    auto* layout = new QVBoxLayout(this);

    auto* view = new QGroupBox(QString::fromLatin1(kViewGroup), this);
    auto* viewRow = new QHBoxLayout(view);
    fields_[MapOptionValues::kScaleField] = field("scaleEdit", values.scale, view);
    viewRow->addWidget(fields_[MapOptionValues::kScaleField]);
    viewRow->addWidget(new QLabel(QString::fromLatin1(kScaleUnit), view));
    layout->addWidget(view);

    auto* origin = new QGroupBox(QString::fromLatin1(kOriginGroup), this);
    auto* originForm = new QFormLayout(origin);
    fields_[MapOptionValues::kLatField] = field("latEdit", values.lat, origin);
    fields_[MapOptionValues::kLonField] = field("lonEdit", values.lon, origin);
    originForm->addRow(QString::fromLatin1(kLat), fields_[MapOptionValues::kLatField]);
    originForm->addRow(QString::fromLatin1(kLon), fields_[MapOptionValues::kLonField]);
    layout->addWidget(origin);

    auto* rings = new QGroupBox(QString::fromLatin1(kRingsGroup), this);
    auto* ringGrid = new QGridLayout(rings);
    for (int k = 0; k < 3; ++k) {
        const std::string name = "ring" + std::to_string(k) + "Edit";
        QLineEdit* edit = field(name.c_str(), values.rings[k], rings);
        fields_[MapOptionValues::kRing0Field + k] = edit;
        ringGrid->addWidget(edit, k, 0);
        ringGrid->addWidget(new QLabel(QString::fromLatin1(kMetres), rings), k, 1);
    }
    layout->addWidget(rings);
    layout->addWidget(buttons(this, kSave));
}

void MapPreferencesDialog::accept() {
    MapOptionValues v;
    v.scale = text(fields_[MapOptionValues::kScaleField]);
    v.lat = text(fields_[MapOptionValues::kLatField]);
    v.lon = text(fields_[MapOptionValues::kLonField]);
    for (int k = 0; k < 3; ++k) {
        v.rings[k] = text(fields_[MapOptionValues::kRing0Field + k]);
    }
    if (const std::optional<FieldError> e = saveMapOptions(profile_, v)) {
        refuse(prompter_, fields_[e->field], e->message);
        return;
    }
    QDialog::accept();
}

} // namespace zeph::monitor
