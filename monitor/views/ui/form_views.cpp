#include "monitor/views/ui/form_views.h"

#include "monitor/shell/feed.h"
#include "monitor/views/dgps_view_texts.h"
#include "monitor/views/drovana_view_texts.h"
#include "monitor/views/geodetic_view_texts.h"
#include "monitor/views/nav_view_texts.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QScrollArea>
#include <QVBoxLayout>

namespace zeph::monitor {
namespace {

constexpr int kRowSpacing = 1;
constexpr int kColumnSpacing = 12;

QGridLayout* gridOf(QWidget* owner) {
    auto* grid = new QGridLayout(owner);
    grid->setVerticalSpacing(kRowSpacing);
    grid->setHorizontalSpacing(kColumnSpacing);
    grid->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    return grid;
}

// A group of the form with its own grid.
QGridLayout* group(QBoxLayout* into, const char* title) {
    auto* box = new QGroupBox(QString::fromLatin1(title));
    into->addWidget(box, 0, Qt::AlignTop);
    return gridOf(box);
}

void caption(QGridLayout* grid, const char* text, int row, int column) {
    grid->addWidget(new QLabel(QString::fromLatin1(text)), row, column);
}

} // namespace

TextFormView::TextFormView(std::unique_ptr<FormTexts> texts, QWidget* parent)
    : MonitorView(parent), texts_(std::move(texts)), form_(new QWidget) {
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(form_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);

    for (size_t k = 0; k < texts_->texts().size(); ++k) {
        auto* label = new QLabel(form_);
        label->setObjectName(QStringLiteral("field%1").arg(k));
        label->setTextFormat(Qt::PlainText);
        fields_.push_back(label);
    }
    showTexts();
}

void TextFormView::place(QGridLayout* grid, size_t k, int row, int column, int columnSpan) {
    grid->addWidget(fields_[k], row, column, 1, columnSpan);
}

void TextFormView::onUpdate(int hint, const RxMessage* msg) {
    if (hint == kHintNewMessage && msg != nullptr && texts_->update(*msg)) {
        showTexts();
    }
}

// The receiver's text is bytes, one character each.
void TextFormView::showTexts() {
    for (size_t k = 0; k < fields_.size(); ++k) {
        const std::string shown = shownText(texts_->text(k));
        fields_[k]->setText(
            QString::fromLatin1(shown.data(), static_cast<qsizetype>(shown.size())));
    }
}

// A row of X, Y, Z for position and for velocity, then the lines in two columns, read down.
CViewNav::CViewNav(QWidget* parent) : TextFormView(std::make_unique<NavViewTexts>(), parent) {
    setObjectName(QStringLiteral("CViewNav"));
    auto* layout = new QVBoxLayout(form());
    QGridLayout* xyz = gridOf(nullptr);
    layout->addLayout(xyz);
    const char* const axes[] = {"X", "Y", "Z"};
    for (int c = 0; c < 3; ++c) {
        caption(xyz, axes[c], 0, c + 1);
        place(xyz, kNavPositionX + c, 1, c + 1);
        place(xyz, kNavVelocityX + c, 2, c + 1);
    }
    caption(xyz, "Position", 1, 0);
    caption(xyz, "Velocity", 2, 0);

    QGridLayout* lines = gridOf(nullptr);
    layout->addLayout(lines);
    const std::pair<const char*, size_t> rows[] = {
        {"Lat:", kNavLatitude},  {"Lon:", kNavLongitude}, {"Alt:", kNavAltitude},
        {"Mode:", kNavMode},     {"DOP:", kNavDop},       {"Fix:", kNavFix},
        {"GPS Week:", kNavWeek}, {"Time:", kNavTime},
    };
    for (int k = 0; k < 8; ++k) {
        const int row = k % 4;
        const int column = k / 4 * 2;
        caption(lines, rows[k].first, row, column);
        place(lines, rows[k].second, row, column + 1);
    }
    place(lines, kNavSatellites, 4, 0, 4);
    layout->addStretch();
}

// One line each, the error estimates beside the clock and distance terms they belong to.
CViewGeod::CViewGeod(QWidget* parent)
    : TextFormView(std::make_unique<GeodeticViewTexts>(), parent) {
    setObjectName(QStringLiteral("CViewGeod"));
    QGridLayout* grid = gridOf(form());
    int row = 0;
    for (size_t k = 0; k < kGeodFieldCount; ++k) {
        const bool paired = k >= kGeodClockBias && k <= kGeodDistanceError;
        if (!paired) {
            place(grid, k, row++, 0, 2);
        } else if ((k - kGeodClockBias) % 2 == 0) {
            place(grid, k, row, 0);
        } else {
            place(grid, k, row++, 1);
        }
    }
}

CViewDr::CViewDr(QWidget* parent) : TextFormView(std::make_unique<DrovanaViewTexts>(), parent) {
    setObjectName(QStringLiteral("CViewDr"));
    auto* columns = new QHBoxLayout(form());

    QGridLayout* status = group(columns, "DR NAV STATUS");
    for (size_t k = 0; k < kDrValidityLines; ++k) {
        place(status, kDrValidityFirst + k, static_cast<int>(k), 0);
    }

    auto* middle = new QVBoxLayout;
    columns->addLayout(middle);
    // A value and its error side by side; a line alone where it has none.
    const auto pairs = [this](QGridLayout* grid, size_t first, std::initializer_list<int> widths) {
        size_t k = first;
        int row = 0;
        for (int width : widths) {
            place(grid, k++, row, 0, width == 1 ? 2 : 1);
            if (width == 2) {
                place(grid, k++, row, 1);
            }
            ++row;
        }
    };
    pairs(group(middle, "DR NAV STATE"), kDrNavStateFirst, {2, 2, 2, 2, 2, 1, 1, 1});
    pairs(group(middle, "NAV SUBSYSTEM DATA"), kDrSubsystemFirst, {2, 2, 2, 1, 2, 2, 2, 1});
    middle->addStretch();

    QGridLayout* block = group(columns, "DR DATA BLOCK");
    place(block, kDrMeasType, 0, 0, 3);
    place(block, kDrValidCount, 1, 0, 3);
    place(block, kDrBackupFlags, 2, 0, 3);
    for (size_t row = 0; row < kDrBlockRows; ++row) {
        for (size_t c = 0; c < 3; ++c) {
            place(block, kDrBlockFirstRow + 3 * row + c, static_cast<int>(row) + 3,
                  static_cast<int>(c));
        }
    }
    columns->addStretch();
}

CViewDgps::CViewDgps(QWidget* parent) : TextFormView(std::make_unique<DgpsViewTexts>(), parent) {
    setObjectName(QStringLiteral("CViewDgps"));
    auto* columns = new QHBoxLayout(form());
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);
    columns->addStretch();

    place(group(left, "Source"), kDgpsSource, 0, 0);
    QGridLayout* corrections = group(left, "GPS corrections");
    caption(corrections, "PRN", 0, 0);
    caption(corrections, "Correction (m)", 0, 1);
    caption(corrections, "Age (s)", 0, 2);
    for (size_t row = 0; row < kDgpsChannels; ++row) {
        const int r = static_cast<int>(row) + 1;
        place(corrections, dgpsPrn(row), r, 0);
        place(corrections, dgpsCorrection(row), r, 1);
        place(corrections, dgpsAge(row), r, 2);
    }
    left->addStretch();

    const auto labelled = [this](QGridLayout* grid, size_t first,
                                 std::initializer_list<const char*> captions) {
        int row = 0;
        for (const char* text : captions) {
            caption(grid, text, row, 0);
            place(grid, first + static_cast<size_t>(row), row, 1);
            ++row;
        }
        grid->setColumnMinimumWidth(1, 110);
    };
    labelled(group(right, "Internal DGPS beacon receiver"), kDgpsLocked,
             {"Locked:", "Frequency (kHz):", "Bit Rate (bps):", "Signal Magnitude:",
              "Signal Strength (dB):", "SNR (dB):"});
    labelled(group(right, "SBAS"), kDgpsSbasPrn,
             {"PRN:", "Mode:", "Timeout (s):", "Health:", "Correction:"});
    right->addStretch();
}

} // namespace zeph::monitor
