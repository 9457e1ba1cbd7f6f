#pragma once

// The form views: static text fields placed in groups. Every text comes from the view's
// FormTexts; the widgets only place the fields and their fixed captions.

#include "monitor/views/form_texts.h"
#include "monitor/views/ui/view_factory.h"

#include <QLabel>

#include <memory>
#include <vector>

class QGridLayout;

namespace zeph::monitor {

class TextFormView : public MonitorView {
    Q_OBJECT
public:
    // Only new messages rewrite the fields; a new source leaves them as they are.
    void onUpdate(int hint, const RxMessage* msg) override;

    const FormTexts& texts() const { return *texts_; }
    // The control of field `k` in form order; its object name is "field<k>".
    QLabel* field(size_t k) const { return fields_[k]; }

protected:
    TextFormView(std::unique_ptr<FormTexts> texts, QWidget* parent);
    // The form's contents, inside a scroll area so a small frame still reaches every field.
    QWidget* form() const { return form_; }
    void place(QGridLayout* grid, size_t k, int row, int column, int columnSpan = 1);

private:
    void showTexts();

    std::unique_ptr<FormTexts> texts_;
    std::vector<QLabel*> fields_;
    QWidget* form_;
};

// The measured navigation solution: ECEF position and velocity, latitude, longitude, height,
// mode, DOP, fix, week, time and the satellites used.
class CViewNav : public TextFormView {
    Q_OBJECT
public:
    explicit CViewNav(QWidget* parent = nullptr);
};

// The geodetic navigation message as labelled lines.
class CViewGeod : public TextFormView {
    Q_OBJECT
public:
    explicit CViewGeod(QWidget* parent = nullptr);
};

// The dead-reckoning output of a Drovana receiver in its four groups.
class CViewDr : public TextFormView {
    Q_OBJECT
public:
    explicit CViewDr(QWidget* parent = nullptr);
};

// The correction source, the corrections and their ages, the beacon receiver and SBAS.
class CViewDgps : public TextFormView {
    Q_OBJECT
public:
    explicit CViewDgps(QWidget* parent = nullptr);
};

} // namespace zeph::monitor
