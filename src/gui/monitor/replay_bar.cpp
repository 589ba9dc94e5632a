#include "gui/monitor/replay_bar.hpp"

#include "monitor/qvmon_file.hpp"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimeEdit>
#include <QTimer>
#include <QToolButton>

namespace qv::gui {

ReplayBar::ReplayBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("replayBar"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 0, 4, 0);
    playButton_ = new QToolButton(this);
    playButton_->setObjectName(QStringLiteral("replayPlayButton"));
    playButton_->setText(QStringLiteral("Odtwarzaj"));
    playButton_->setAccessibleName(QStringLiteral("Odtwarzaj lub wstrzymaj zapis"));
    playButton_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    speedCombo_ = new QComboBox(this);
    speedCombo_->setObjectName(QStringLiteral("replaySpeedCombo"));
    speedCombo_->addItems({QStringLiteral("×1"), QStringLiteral("×10"), QStringLiteral("×100")});
    speedCombo_->setAccessibleName(QStringLiteral("Szybkość odtwarzania"));
    auto* speedLabel = new QLabel(QStringLiteral("Szybkość:"), this);
    speedLabel->setBuddy(speedCombo_);
    slider_ = new QSlider(Qt::Horizontal, this);
    slider_->setObjectName(QStringLiteral("replaySlider"));
    slider_->setAccessibleName(QStringLiteral("Miejsce w zapisie"));
    slider_->setMinimumWidth(200);
    timeLabel_ = new QLabel(this);
    timeLabel_->setObjectName(QStringLiteral("replayTimeLabel"));
    auto* jumpLabel = new QLabel(QStringLiteral("Przejdź do:"), this);
    jumpTime_ = new QTimeEdit(this);
    jumpTime_->setObjectName(QStringLiteral("replayJumpTime"));
    jumpTime_->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    jumpTime_->setAccessibleName(QStringLiteral("Czas od początku zapisu"));
    jumpLabel->setBuddy(jumpTime_);
    auto* jump = new QToolButton(this);
    jump->setObjectName(QStringLiteral("replayJumpButton"));
    jump->setText(QStringLiteral("Przejdź"));
    jump->setToolButtonStyle(Qt::ToolButtonTextOnly);
    row->addWidget(playButton_);
    row->addWidget(speedLabel);
    row->addWidget(speedCombo_);
    row->addWidget(slider_, 1);
    row->addWidget(timeLabel_);
    row->addWidget(jumpLabel);
    row->addWidget(jumpTime_);
    row->addWidget(jump);
    connect(playButton_, &QToolButton::clicked, this, &ReplayBar::playPauseClicked);
    connect(speedCombo_, &QComboBox::currentIndexChanged, this, [this](int i) {
        Q_EMIT speedChosen(i == 2 ? 100 : i == 1 ? 10 : 1);
    });
    connect(slider_, &QSlider::sliderMoved, this,
            [this](int seconds) { Q_EMIT seekRequested(static_cast<qint64>(seconds) * 1000); });
    // A click beside the handle or a key moves the slider after this signal: ask for its new
    // place once it has moved.
    connect(slider_, &QSlider::actionTriggered, this, [this](int action) {
        if (action != QAbstractSlider::SliderMove)
            QTimer::singleShot(0, this, [this] {
                Q_EMIT seekRequested(static_cast<qint64>(slider_->value()) * 1000);
            });
    });
    connect(jump, &QToolButton::clicked, this, [this] {
        Q_EMIT seekRequested(static_cast<qint64>(jumpTime_->time().msecsSinceStartOfDay()));
    });
}

void ReplayBar::setDuration(qint64 ms) {
    slider_->setRange(0, static_cast<int>(ms / 1000));
}

void ReplayBar::showPosition(qint64 positionMs, qint64 durationMs, bool playing) {
    const QString t = QStringLiteral("%1 / %2").arg(QString::fromStdString(formatSpan(positionMs)),
                                                    QString::fromStdString(formatSpan(durationMs)));
    if (timeLabel_->text() != t) timeLabel_->setText(t);
    if (!slider_->isSliderDown()) {
        const QSignalBlocker block(slider_);
        slider_->setValue(static_cast<int>(positionMs / 1000));
    }
    playButton_->setText(playing ? QStringLiteral("Wstrzymaj") : QStringLiteral("Odtwarzaj"));
}

void ReplayBar::showSpeed(int speed) {
    const int index = speed >= 100 ? 2 : speed >= 10 ? 1 : 0;
    if (speedCombo_->currentIndex() != index) speedCombo_->setCurrentIndex(index);
}

} // namespace qv::gui
