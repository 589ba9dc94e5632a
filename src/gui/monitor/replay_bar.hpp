#pragma once
// The controls of a recording played in the monitor, in the status bar's place: play or pause,
// the speed, the place in the recording (a slider and the time), and a jump to a time. The bar
// only shows and asks; the monitor window plays the recording.
#include <QWidget>

class QComboBox;
class QLabel;
class QSlider;
class QTimeEdit;
class QToolButton;

namespace qv::gui {

class ReplayBar : public QWidget {
    Q_OBJECT
  public:
    explicit ReplayBar(QWidget* parent);

    // A new recording of this length: the slider spans it.
    void setDuration(qint64 ms);
    // Where the recording is and whether it plays.
    void showPosition(qint64 positionMs, qint64 durationMs, bool playing);
    // The speed shown: 1, 10 or 100.
    void showSpeed(int speed);

  Q_SIGNALS:
    void playPauseClicked();
    void speedChosen(int speed);
    void seekRequested(qint64 ms);

  private:
    QToolButton* playButton_;
    QComboBox* speedCombo_;
    QSlider* slider_;
    QLabel* timeLabel_;
    QTimeEdit* jumpTime_;
};

} // namespace qv::gui
