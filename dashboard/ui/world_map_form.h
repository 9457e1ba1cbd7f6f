#pragma once

// WorldMapForm ("Now Position"): the world map picture with the pulsing position marker, the
// position as text, and the latitude and longitude under the mouse. MapTimer runs while the
// window is active.

#include "dashboard/core/world_map.h"

#include <QTimer>
#include <QWidget>

class QLabel;

namespace zeph::dashboard {

class WorldMapForm : public QWidget {
    Q_OBJECT
public:
    WorldMapForm(const ReceiverState& state, QWidget* parent);

    const WorldMapCore& core() const { return core_; }
    bool mapTimerRunning() const { return timer_.isActive(); }
    QWidget* picture() const { return picture_; }
    QWidget* marker() const { return marker_; }

    // MapTimer's tick.
    void mapTick();
    // The mouse at (x, y) twips over the picture.
    void mouseOverPicture(float x, float y);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    const ReceiverState& state_;
    WorldMapCore core_;
    QTimer timer_;
    QWidget* picture_;
    QWidget* marker_;
    QWidget* mouseMark_;
    QLabel* lonM_;
    QLabel* latM_;
    QLabel* lon_;
    QLabel* lat_;
};

} // namespace zeph::dashboard
