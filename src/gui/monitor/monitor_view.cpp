#include "gui/monitor/monitor_view.hpp"

#include "gui/app/appearance.hpp"

#include <QEnterEvent>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace qv::gui {

namespace {

QString text(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QColor colourOf(Colour c) {
    const Rgb rgb = rgbOf(c);
    return QColor(rgb.red, rgb.green, rgb.blue);
}

// A value's text colour: the model's colour in a shade that reads on the window's face (4.5:1
// or better) and keeps its meaning: red a failure, green a good state, yellow a wait.
QColor textColourOf(Colour c) {
    switch (c) {
    case Colour::Red:
        return QColor(0xC0, 0x00, 0x00);
    case Colour::Green:
    case Colour::Lime:
        return QColor(0x00, 0x70, 0x00);
    case Colour::Yellow:
        return QColor(0x80, 0x66, 0x00);
    case Colour::Default:
    case Colour::Black:
        break;
    }
    return QColor(Qt::black);
}

const QColor kNavy(0, 0, 128);

// The layout (pixels inside the view), as drawn for Liberation Sans / Arial; the widths grow
// where the window's font needs more room.
constexpr int kMargin = 8;
constexpr int kStatusWidth = 540, kStatusHeight = 372;
constexpr int kEventsWidth = 300;
constexpr int kInputsHeight = 72, kOutputsHeight = 62;
constexpr int kGap = 6;
constexpr int kRowHeight = 20, kFirstRow = 16;
constexpr int kCaptionLeft = 10, kCaptionWidth = 196;
constexpr int kValueWidth = 316, kValueRight = 10;
constexpr int kCsqTextWidth = 40, kGaugeWidth = 180, kGaugeHeight = 14;
constexpr int kInputStep = 35, kOutputStep = 90;
// The longest line of the event list: a DTMF report.
constexpr const char* kWidestEvent = "2024-12-31 23:59:59 DTMF P:00 C:0000 G:00 Z:0000";

int widthOf(const QFont& font, const QString& text) {
    return int(std::ceil(QFontMetricsF(font).horizontalAdvance(text)));
}

// Rows of the device-status group, top to bottom; the gauge of the event buffer sits in the
// row after the panel status.
constexpr MonitorValue kRows[] = {
    MonitorValue::Ac,         MonitorValue::Accu,     MonitorValue::Analog3,
    MonitorValue::Analog4,    MonitorValue::TLevel1,  MonitorValue::TLevel2,
    MonitorValue::Sim,        MonitorValue::Creg,     MonitorValue::Csq,
    MonitorValue::Gprs,       MonitorValue::Apn,      MonitorValue::ResetCause,
    MonitorValue::TestPeriod, MonitorValue::DateTime, MonitorValue::Centralka,
    MonitorValue::Count, // the event buffer gauge
    MonitorValue::Line};

void showTip(QWidget* w, const std::string& tip) {
    const QString t = QString::fromStdString(tip);
    if (w->toolTip() != t) w->setToolTip(t);
}

QLabel* caption(const QString& s, QWidget* parent, int row, int width) {
    auto* l = new QLabel(s, parent);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setGeometry(kCaptionLeft, kFirstRow + row * kRowHeight, width, kRowHeight);
    return l;
}

QProgressBar* gauge(const char* name, int max, QWidget* parent, QRect where) {
    auto* g = new QProgressBar(parent);
    g->setObjectName(QLatin1String(name));
    g->setRange(0, max);
    g->setValue(0);
    g->setTextVisible(false);
    g->setGeometry(where);
    return g;
}

} // namespace

LinkCaption::LinkCaption(const QString& s, QWidget* parent) : ClickableLabel(parent, QString()) {
    setText(s);
    setAccessibleRole(QAccessible::Link);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, kNavy);
    setPalette(pal);
}

void LinkCaption::setUnderlined(bool on) {
    if (font().underline() == on) return;
    QFont f = font();
    f.setUnderline(on);
    setFont(f);
}

void LinkCaption::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    setUnderlined(true);
    ClickableLabel::enterEvent(event);
}

void LinkCaption::leaveEvent(QEvent* event) {
    hovered_ = false;
    setUnderlined(hasFocus());
    ClickableLabel::leaveEvent(event);
}

void LinkCaption::focusInEvent(QFocusEvent* event) {
    setUnderlined(true);
    ClickableLabel::focusInEvent(event);
}

void LinkCaption::focusOutEvent(QFocusEvent* event) {
    setUnderlined(hovered_);
    ClickableLabel::focusOutEvent(event);
}

MonitorView::MonitorView(QWidget* parent) : QWidget(parent) {
    planWidths();
    auto* status = new QGroupBox(this);
    status->setObjectName(QStringLiteral("GroupBox1"));
    status->setGeometry(kMargin, kGap, statusWidth_, kStatusHeight);
    buildStatusGroup(status);

    const int belowStatus = kGap + kStatusHeight + kGap;
    auto* inputs = new QGroupBox(text(kInputsGroupCaption), this);
    inputs->setObjectName(QStringLiteral("GroupBox2"));
    inputs->setGeometry(kMargin, belowStatus, statusWidth_, kInputsHeight);
    buildInputs(inputs);

    auto* outputs = new QGroupBox(text(kOutputsGroupCaption), this);
    outputs->setObjectName(QStringLiteral("GroupBox3"));
    outputs->setGeometry(kMargin, belowStatus + kInputsHeight + kGap, statusWidth_, kOutputsHeight);
    buildOutputs(outputs);

    const int eventsLeft = kMargin + statusWidth_ + kGap;
    const int height = belowStatus + kInputsHeight + kGap + kOutputsHeight + kGap;
    auto* eventsGroup = new QGroupBox(text(kEventsGroupCaption), this);
    eventsGroup->setObjectName(QStringLiteral("GroupBox4"));
    events_ = new QPlainTextEdit(eventsGroup);
    events_->setObjectName(QStringLiteral("MemoHistory"));
    events_->setAccessibleName(eventsGroup->title().trimmed());
    events_->setReadOnly(true);
    // Wide enough for the longest event line; anything longer wraps rather than hides.
    events_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    events_->setMaximumBlockCount(static_cast<int>(MonitorModel::Options{}.listLimit));
    auto* l = new QVBoxLayout(eventsGroup);
    l->setContentsMargins(6, 4, 6, 6);
    l->addWidget(events_);
    const int list = widthOf(events_->font(), QString::fromLatin1(kWidestEvent)) +
                     2 * events_->frameWidth() + int(2 * events_->document()->documentMargin()) +
                     events_->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4;
    const int eventsWidth = std::max(kEventsWidth, list + 12);
    eventsGroup->setGeometry(eventsLeft, kGap, eventsWidth, height - 2 * kGap);

    // The banners lie over the device-status group; created last, so they are on top.
    const QRect bannerRect(kMargin + 10, kGap + 150, statusWidth_ - 20, 44);
    labelWait_ = banner("labelWait", text(kWaitBannerText), QColor(0, 255, 0));
    labelWait_->setGeometry(bannerRect);
    // Red, in a shade that white reads on.
    labelConfig_ = banner("labelConfig", text(kConfigBannerText), QColor(0xC0, 0, 0));
    labelConfig_->setGeometry(bannerRect);
    labelConfig_->hide();

    setFixedSize(eventsLeft + eventsWidth + kMargin, height);
}

void MonitorView::planWidths() {
    const QFont f = font();
    QFont bold = f;
    bold.setBold(true);
    captionWidth_ = kCaptionWidth;
    for (const MonitorValue v : kRows)
        captionWidth_ = std::max(
            captionWidth_, widthOf(f, text(v == MonitorValue::Count ? kHistoryUsageCaption
                                                                    : monitorValueCaption(v))) +
                               4);
    valueLeft_ = kCaptionLeft + captionWidth_ + 8;
    // The inputs' captions, in their smaller font, each within its column.
    QFont small = f;
    small.setPointSizeF(small.pointSizeF() - 1);
    inputStep_ = kInputStep;
    for (int i = 0; i < kMonitorInputs; ++i)
        inputStep_ = std::max(inputStep_, widthOf(small, text(inputCaption(i))) + 3);
    outputStep_ = kOutputStep;
    for (int i = 0; i < kMonitorOutputs; ++i)
        outputStep_ = std::max(outputStep_, widthOf(f, text(outputCaption(i))) + 6);
    // Wide enough for the values, the rows of indicators and the inputs group's long caption.
    statusWidth_ = std::max({kStatusWidth, valueLeft_ + kValueWidth + kValueRight,
                             inputStep_ * kMonitorInputs + 20, outputStep_ * kMonitorOutputs + 20,
                             widthOf(f, text(kInputsGroupCaption)) + 24});
}

QLabel* MonitorView::banner(const char* name, const QString& s, QColor background) {
    auto* b = new QLabel(s, this);
    b->setObjectName(QLatin1String(name));
    b->setAlignment(Qt::AlignCenter);
    b->setAutoFillBackground(true);
    QFont f = b->font();
    f.setBold(true);
    f.setPointSize(f.pointSize() + 5);
    b->setFont(f);
    QPalette pal = b->palette();
    pal.setColor(QPalette::Window, background);
    pal.setColor(QPalette::WindowText, readableTextOn(background));
    b->setPalette(pal);
    return b;
}

void MonitorView::buildStatusGroup(QGroupBox* group) {
    QFont bold = font();
    bold.setBold(true);
    for (int row = 0; row < static_cast<int>(std::size(kRows)); ++row) {
        const MonitorValue v = kRows[row];
        const int top = kFirstRow + row * kRowHeight;
        if (v == MonitorValue::Count) {
            caption(text(kHistoryUsageCaption), group, row, captionWidth_);
            historyUsage_ =
                gauge("historyUsage", 199, group,
                      QRect(valueLeft_, top + 3, kGaugeWidth + kCsqTextWidth + 4, kGaugeHeight));
            continue;
        }
        const QString cap = text(monitorValueCaption(v));
        if (v == MonitorValue::ResetCause) {
            resetsCaption_ = new LinkCaption(cap, group);
            resetsCaption_->setObjectName(QStringLiteral("resetsCaption"));
            resetsCaption_->setAccessibleDescription(QStringLiteral("Historia resetów urządzenia"));
            resetsCaption_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            resetsCaption_->setGeometry(kCaptionLeft, top, captionWidth_, kRowHeight);
        } else {
            caption(cap, group, row, captionWidth_);
        }
        auto* value = new QLabel(QStringLiteral("?"), group);
        value->setObjectName(text(monitorValueName(v)));
        value->setFont(bold);
        const int width = v == MonitorValue::Csq ? kCsqTextWidth : kValueWidth;
        value->setGeometry(valueLeft_, top, width, kRowHeight);
        values_[static_cast<std::size_t>(v)].label = value;
        if (v == MonitorValue::Csq)
            csqGauge_ =
                gauge("csqGauge", 31, group,
                      QRect(valueLeft_ + kCsqTextWidth + 4, top + 3, kGaugeWidth, kGaugeHeight));
    }
}

void MonitorView::buildInputs(QGroupBox* group) {
    QPalette navy = group->palette();
    navy.setColor(QPalette::WindowText, kNavy);
    // Columns are 35 pixels apart (more when the font needs it): a slightly smaller font
    // keeps "Akum." clear of "GSM".
    const int step = inputStep_;
    QFont small = group->font();
    small.setPointSizeF(small.pointSizeF() - 1);
    for (int i = 1; i <= kMonitorInputs; ++i) {
        const auto idx = static_cast<std::size_t>(i - 1);
        auto* cap = new QLabel(text(inputCaption(i - 1)), group);
        cap->setObjectName(QStringLiteral("inputCaption%1").arg(i - 1));
        cap->setPalette(navy);
        cap->setFont(small);
        // Centred over its light (the caption's leading blanks left of the centring), so that
        // neighbours such as "Akum." and "GSM" stand apart.
        const QString caption = cap->text();
        const QString word = caption.trimmed();
        const int lead = widthOf(small, caption.left(caption.indexOf(word)));
        const int centre = step * i - 19 + kIndicatorSize / 2;
        cap->move(std::max(2, centre - widthOf(small, word) / 2 - lead), 20);
        cap->adjustSize(); // its text's own size, shown or not
        auto picture = [&](const char* name, int left, int top) {
            auto* p = new QLabel(group);
            p->setObjectName(QStringLiteral("%1%2").arg(QLatin1String(name)).arg(i - 1));
            p->setGeometry(left, top, kIndicatorSize, kIndicatorSize);
            return Picture{p, Indicator::Blank};
        };
        lights_[idx] = picture("inputLight", step * i - 19, 36);
        panelMarks_[idx] = picture("panelMark", step * i - 19, 36);
        lockMarks_[idx] = picture("lockMark", step * i - 13, 46);
        showPicture(lights_[idx], Indicator::Unknown, "Brak danych");
        panelMarks_[idx].label->setProperty("indicator", indicatorName(Indicator::Blank));
        lockMarks_[idx].label->setProperty("indicator", indicatorName(Indicator::Blank));
    }
}

void MonitorView::buildOutputs(QGroupBox* group) {
    for (int i = 1; i <= kMonitorOutputs; ++i) {
        auto* cap = new QLabel(text(outputCaption(i - 1)), group);
        cap->setObjectName(QStringLiteral("outputCaption%1").arg(i - 1));
        cap->move(outputStep_ * i - 79, 20);
        cap->adjustSize();
        auto* p = new QLabel(group);
        p->setObjectName(QStringLiteral("output%1").arg(i - 1));
        p->setGeometry(outputStep_ * i - 50, 36, kIndicatorSize, kIndicatorSize);
        outputs_[static_cast<std::size_t>(i - 1)] = Picture{p, Indicator::Blank};
        showPicture(outputs_[static_cast<std::size_t>(i - 1)], Indicator::Unknown, "Brak danych");
    }
}

void MonitorView::showValue(Value& v, const DisplayValue& d) {
    const QString t = QString::fromStdString(d.text);
    if (v.label->text() != t) v.label->setText(t);
    showTip(v.label, d.tooltip);
    if (v.colour != d.colour) {
        v.colour = d.colour;
        QPalette pal = v.label->palette();
        pal.setColor(QPalette::WindowText, d.colour == Colour::Default
                                               ? palette().color(QPalette::WindowText)
                                               : textColourOf(d.colour));
        v.label->setPalette(pal);
    }
}

void MonitorView::showGauge(QProgressBar* bar, const Gauge& g, Colour& shownColour) {
    if (bar->maximum() != g.max) bar->setRange(0, g.max);
    if (bar->value() != g.value) bar->setValue(g.value);
    showTip(bar, g.tooltip);
    if (shownColour != g.colour) {
        shownColour = g.colour;
        QPalette pal = bar->palette();
        pal.setColor(QPalette::Highlight, g.colour == Colour::Default
                                              ? QPalette().color(QPalette::Highlight)
                                              : colourOf(g.colour));
        bar->setPalette(pal);
    }
}

void MonitorView::showPicture(Picture& p, Indicator which, const std::string& tooltip) {
    showTip(p.label, tooltip);
    if (p.shown == which && !p.label->pixmap().isNull()) return;
    p.shown = which;
    p.label->setPixmap(indicatorPixmap(which));
    p.label->setProperty("indicator", indicatorName(which));
}

void MonitorView::refresh(const MonitorModel& model) {
    for (std::size_t i = 0; i < kMonitorValueCount; ++i)
        showValue(values_[i], model.value(static_cast<MonitorValue>(i)));
    showGauge(csqGauge_, model.signalGauge(), csqColour_);
    showGauge(historyUsage_, model.historyUsage(), historyColour_);

    labelWait_->setVisible(model.waitBannerVisible());
    labelConfig_->setVisible(model.configBannerVisible());
    const QString wait = QString::fromStdString(model.waitBannerText());
    if (labelWait_->text() != wait) labelWait_->setText(wait);
    if (model.waitBannerBackground() != waitShown_) {
        waitShown_ = model.waitBannerBackground();
        QPalette pal = labelWait_->palette();
        const QColor background(waitShown_.red, waitShown_.green, waitShown_.blue);
        pal.setColor(QPalette::Window, background);
        // Black or white, whichever reads on the fading colour.
        pal.setColor(QPalette::WindowText, readableTextOn(background));
        labelWait_->setPalette(pal);
    }

    for (int i = 0; i < kMonitorInputs; ++i) {
        const auto idx = static_cast<std::size_t>(i);
        const InputColumn& in = model.inputs()[idx];
        showPicture(lights_[idx],
                    in.light == InputLight::Alarm     ? Indicator::Alarm
                    : in.light == InputLight::NoAlarm ? Indicator::NoAlarm
                                                      : Indicator::Unknown,
                    in.tooltip);
        showPicture(panelMarks_[idx],
                    in.panel == PanelMark::Cross ? Indicator::Cross : Indicator::Blank, {});
        showPicture(lockMarks_[idx],
                    in.lock == LockMark::Padlock ? Indicator::Padlock : Indicator::Blank, {});
    }
    for (int j = 0; j < kMonitorOutputs; ++j) {
        const auto idx = static_cast<std::size_t>(j);
        const OutputIndicator& out = model.outputs()[idx];
        showPicture(outputs_[idx],
                    out.contact == OutputContact::Closed ? Indicator::Closed
                    : out.contact == OutputContact::Open ? Indicator::Open
                                                         : Indicator::Unknown,
                    out.tooltip);
    }

    // Only the events that came since the last refresh are appended.
    const auto& events = model.events();
    const long long fresh = std::min<long long>(model.eventsAdded() - eventsShown_,
                                                static_cast<long long>(events.size()));
    if (fresh > 0) {
        QString added;
        for (std::size_t i = events.size() - static_cast<std::size_t>(fresh); i < events.size();
             ++i) {
            if (!added.isEmpty()) added += QLatin1Char('\n');
            added += QString::fromStdString(events[i]);
        }
        events_->appendPlainText(added);
    }
    eventsShown_ = model.eventsAdded();
}

void MonitorView::restart() {
    events_->clear();
    eventsShown_ = 0;
}

} // namespace qv::gui
