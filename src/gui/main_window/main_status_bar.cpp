#include "gui/main_window/main_status_bar.hpp"

#include "gui/app/app_context.hpp"
#include "sim/sim_setup.hpp"

#include <QCheckBox>
#include <QLabel>
#include <QShowEvent>
#include <QTime>
#include <QToolButton>

#include <algorithm>

namespace qv::gui {

namespace {
constexpr const char* kLinkPortMessagePrefix = "Port: ";
constexpr const char* kDeviceFamily = "Solvo-5 / DTMF";
constexpr int kPanelWidths[4] = {55, 75, 150, 50};
} // namespace

QString shownPortName(const QString& name) {
    return isSimPortName(name.toStdString()) ? QStringLiteral("sim") : name;
}

MainStatusBar::MainStatusBar(AppContext& ctx, QWidget* parent) : QStatusBar(parent), ctx_(ctx) {
    setObjectName(QStringLiteral("StatusBar1"));
    setSizeGripEnabled(false);
    for (int i = 0; i < 4; ++i) {
        panels_[i] = new QLabel(this);
        panels_[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i + 1));
        panels_[i]->setMinimumWidth(kPanelWidths[i]);
        panels_[i]->setFrameShape(QFrame::StyledPanel);
        panels_[i]->setFrameShadow(QFrame::Sunken);
        panels_[i]->setContentsMargins(4, 0, 4, 0);
        if (i < 3) panels_[i]->setAlignment(Qt::AlignCenter);
        // Each keeps its width (or what its text needs, where the platform's font is wider).
        panels_[i]->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
        addWidget(panels_[i]);
    }
    // The clock's panel holds a whole time from the start, so nothing in the bar shifts when the
    // clock first ticks (where the font's digits are wider than the panel's width).
    panels_[0]->setText(QStringLiteral("00:00:00"));
    panels_[0]->setMinimumWidth(std::max(kPanelWidths[0], panels_[0]->sizeHint().width()));
    panels_[0]->clear();
    // Read by the link window for every block write; kept in sight on every tab.
    verify_ = new QCheckBox(QStringLiteral("Weryfikuj transmisję"), this);
    verify_->setObjectName(QStringLiteral("cbVerify"));
    verify_->setChecked(true);
    connect(verify_, &QCheckBox::toggled, this, [this](bool on) { ctx_.verifyTransfer = on; });
    addWidget(verify_);
    // The application log, which the service page shows only in service mode.
    auto* log = new QToolButton(this);
    log->setObjectName(QStringLiteral("logButton"));
    log->setText(QStringLiteral("Log"));
    log->setToolTip(QStringLiteral("Dziennik programu"));
    log->setAutoRaise(true);
    connect(log, &QToolButton::clicked, this, &MainStatusBar::logRequested);
    addWidget(log);
    clock_.setSingleShot(false);
    connect(&clock_, &QTimer::timeout, this, &MainStatusBar::tick);
}

void MainStatusBar::showEvent(QShowEvent* event) {
    QStatusBar::showEvent(event);
    if (shownOnce_) return;
    shownOnce_ = true;
    QTimer::singleShot(10, this, [this] {
        tick();
        clock_.start(1000);
    });
}

void MainStatusBar::tick() {
    panels_[0]->setText(QTime::currentTime().toString(QStringLiteral("hh:mm:ss")));
    const QString name = ctx_.portName();
    QString port = QString::fromLatin1(kLinkPortMessagePrefix) + shownPortName(name);
    if (ctx_.reverseReset()) port += QStringLiteral("/R");
    panels_[1]->setText(port);
    panels_[1]->setToolTip(name);
    panels_[2]->setText(QString::fromLatin1(kDeviceFamily));
}

} // namespace qv::gui
