#include "gui/monitor/trend_view.hpp"

#include "common/text_format.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPaintEvent>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace qv::gui {

namespace {

QString text(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QString seriesTitle(TrendSeries s) {
    return text(trendSeriesCaption(s)) + QStringLiteral(" [") + text(trendSeriesUnit(s)) +
           QStringLiteral("]");
}

// With the system's decimal separator, as the values beside are shown.
QString number(double v, TrendSeries s) {
    return QLocale().toString(v, 'f', s == TrendSeries::Signal ? 0 : 1);
}

constexpr int kLeft = 48, kRight = 8, kTop = 4, kAxis = 50;

} // namespace

QColor TrendView::seriesColour(TrendSeries s) {
    // Dark enough for 4.5:1 against white, as text and as lines.
    static const std::array<QColor, kTrendSeriesCount> colours = {
        QColor(0xB0, 0x00, 0x20), QColor(0x1F, 0x4E, 0x9C), QColor(0x2E, 0x6B, 0x30),
        QColor(0x6A, 0x1B, 0x9A), QColor(0x8D, 0x4A, 0x00), QColor(0x00, 0x69, 0x5C),
        QColor(0x37, 0x47, 0x4F)};
    return colours[static_cast<std::size_t>(s)];
}

TrendChart::TrendChart(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("trendChart"));
    setAccessibleName(QStringLiteral("Wykresy wartości w czasie"));
    setMinimumSize(400, 240);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TrendChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    paintCached(p);
}

TrendChart::Key TrendChart::key() const {
    return {store_,
            store_ ? store_->size() : 0,
            store_ ? store_->marks().size() : 0,
            store_ ? store_->lastMs() : 0,
            t0_,
            t1_,
            shown_,
            moduleTime_,
            width(),
            height(),
            devicePixelRatioF()};
}

void TrendChart::paintCached(QPainter& painter) {
    const Key k = key();
    if (picture_.isNull() || !(k == drawn_)) {
        picture_ = QImage(size() * k.ratio, QImage::Format_RGB32);
        picture_.setDevicePixelRatio(k.ratio);
        paintInto(picture_);
        drawn_ = k;
    }
    painter.drawImage(0, 0, picture_);
}

void TrendChart::paintInto(QPaintDevice& device) {
    QPainter p(&device);
    const qreal ratio = device.devicePixelRatioF();
    const int w = static_cast<int>(device.width() / ratio),
              h = static_cast<int>(device.height() / ratio);
    p.fillRect(0, 0, w, h, Qt::white);
    p.setFont(font());
    const QFontMetrics fm(font());
    const int plotW = w - kLeft - kRight;
    const int plotBottom = h - kAxis;
    std::vector<TrendSeries> shown;
    for (std::size_t s = 0; s < kTrendSeriesCount; ++s)
        if (shown_[s]) shown.push_back(static_cast<TrendSeries>(s));
    if (!store_ || store_->empty() || shown.empty() || plotW < 10 || plotBottom - kTop < 20) {
        p.setPen(Qt::black);
        p.drawText(QRect(0, 0, w, h), Qt::AlignCenter,
                   store_ && !store_->empty() ? QStringLiteral("Nie wybrano żadnej wartości")
                                              : QStringLiteral("Brak danych"));
        return;
    }
    const std::int64_t t0 = t0_, t1 = std::max(t1_, t0_ + 1000);
    auto xOf = [&](std::int64_t ms) {
        return kLeft + static_cast<double>(ms - t0) * plotW / static_cast<double>(t1 - t0);
    };

    // Marks of input and output changes: faint lines across the strips, one per pixel
    // column however many changes fall into it.
    const QColor faint(0xD8, 0xD8, 0xD8);
    p.setPen(faint);
    int lastX = -1;
    for (const auto& m : store_->marks()) {
        if (m.ms < t0 || m.ms > t1) continue;
        const int x = static_cast<int>(xOf(m.ms));
        if (x == lastX) continue;
        lastX = x;
        p.drawLine(x, kTop, x, plotBottom);
    }

    const int strips = static_cast<int>(shown.size());
    const double stripH = static_cast<double>(plotBottom - kTop) / strips;
    QVector<QLineF> lines;
    for (int k = 0; k < strips; ++k) {
        const TrendSeries s = shown[static_cast<std::size_t>(k)];
        const QColor colour = TrendView::seriesColour(s);
        const double top = kTop + k * stripH, bottom = top + stripH - 3;
        p.setPen(QColor(0xE0, 0xE0, 0xE0));
        p.drawLine(QLineF(kLeft, bottom + 1.5, w - kRight, bottom + 1.5));
        store_->columns(s, t0, t1, plotW, columns_);
        float lo = 0, hi = 0;
        bool any = false;
        for (const auto& c : columns_)
            if (c.any) {
                lo = any ? std::min(lo, c.min) : c.min;
                hi = any ? std::max(hi, c.max) : c.max;
                any = true;
            }
        p.setPen(colour);
        const int textTop = static_cast<int>(top);
        p.drawText(kLeft + 4, textTop + fm.ascent(), seriesTitle(s));
        if (!any) continue;
        if (hi - lo < 0.2f) { // a flat line sits in the middle of its strip
            lo -= 0.5f;
            hi += 0.5f;
        }
        const double plotTop = top + fm.height() + 3;
        auto yOf = [&](float v) { return bottom - (v - lo) * (bottom - plotTop) / (hi - lo); };
        p.drawText(QRect(0, static_cast<int>(plotTop) - fm.ascent() / 2, kLeft - 4, fm.height()),
                   Qt::AlignRight | Qt::AlignTop, number(hi, s));
        p.drawText(QRect(0, static_cast<int>(bottom) - fm.height(), kLeft - 4, fm.height()),
                   Qt::AlignRight | Qt::AlignBottom, number(lo, s));
        lines.clear();
        double prevX = 0, prevY = 0;
        bool prev = false;
        for (std::size_t c = 0; c < columns_.size(); ++c) {
            const auto& col = columns_[c];
            if (!col.any) continue;
            const double x = kLeft + static_cast<double>(c) + 0.5;
            const double yMin = yOf(col.min), yMax = yOf(col.max);
            lines.append(QLineF(x, yMin, x, yMax));
            const double mid = (yMin + yMax) / 2;
            if (prev && x - prevX < 40) lines.append(QLineF(prevX, prevY, x, mid));
            prevX = x;
            prevY = mid;
            prev = true;
        }
        p.setPen(colour); // a cosmetic pen: the fastest to draw
        p.drawLines(lines);
    }

    // The time axis: round times at least 90 pixels apart.
    p.setPen(Qt::black);
    p.drawLine(kLeft, plotBottom, w - kRight, plotBottom);
    static constexpr int kSteps[] = {5,   10,   15,   30,   60,    120,   300,   600,
                                     900, 1800, 3600, 7200, 10800, 21600, 43200, 86400};
    const double span = static_cast<double>(t1 - t0) / 1000.0;
    int step = kSteps[std::size(kSteps) - 1];
    for (int s : kSteps)
        if (s * plotW / span >= 90) {
            step = s;
            break;
        }
    const LocalDateTime first = store_->timeOf(t0, moduleTime_);
    const long long sod = first.hour * 3600LL + first.minute * 60LL + first.second;
    long long ms = t0 - t0 % 1000 + ((step - sod % step) % step) * 1000LL;
    for (; ms <= t1; ms += step * 1000LL) {
        if (ms < t0) continue;
        const double x = xOf(ms);
        p.drawLine(QLineF(x, plotBottom, x, plotBottom + 4));
        const LocalDateTime t = store_->timeOf(ms, moduleTime_);
        const QString label =
            QString::fromStdString(formatDateTime(t, step < 60 ? "hh:nn:ss" : "hh:nn"));
        const int tw = fm.horizontalAdvance(label);
        const int lx = std::clamp(static_cast<int>(x) - tw / 2, 0, w - tw);
        p.drawText(lx, plotBottom + 4 + fm.ascent(), label);
    }
    // The changes below the axis, inputs on one row and outputs on the next: up for an input
    // alarm or a closed output, down for the return; the column's caption beside when there
    // is room.
    std::array<double, 2> freeFrom{0, 0};
    std::array<std::array<int, 2>, 2> lastMark{{{-1, -1}, {-1, -1}}};
    for (const auto& m : store_->marks()) {
        if (m.ms < t0 || m.ms > t1) continue;
        const double x = xOf(m.ms);
        const int row = m.output ? 1 : 0;
        // One mark of each kind per pixel column.
        int& last = lastMark[static_cast<std::size_t>(row)][m.active ? 1 : 0];
        if (static_cast<int>(x) == last) continue;
        last = static_cast<int>(x);
        const double y = h - 20 + row * 13;
        const QColor c = m.output
                             ? QColor(0x1F, 0x4E, 0x9C)
                             : (m.active ? QColor(0xB0, 0x00, 0x20) : QColor(0x2E, 0x6B, 0x30));
        QPolygonF tri;
        if (m.active)
            tri << QPointF(x - 4, y + 4) << QPointF(x + 4, y + 4) << QPointF(x, y - 4);
        else
            tri << QPointF(x - 4, y - 4) << QPointF(x + 4, y - 4) << QPointF(x, y + 4);
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawPolygon(tri);
        double& free = freeFrom[static_cast<std::size_t>(row)];
        if (x + 6 < free) continue; // no room for the caption
        const QString caption = m.output ? QStringLiteral("Wyjście %1").arg(m.index + 1)
                                         : text(trimBlanks(inputCaption(m.index)));
        const int tw = fm.horizontalAdvance(caption);
        if (x + 6 + tw <= w) {
            p.setPen(c);
            p.drawText(QPointF(x + 6, y + fm.ascent() / 2.0 - 1), caption);
            free = x + 6 + tw + 4;
        }
    }
}

TrendView::TrendView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("trendView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    auto* top = new QHBoxLayout;
    auto* spanLabel = new QLabel(QStringLiteral("Zakres:"), this);
    span_ = new QComboBox(this);
    span_->setObjectName(QStringLiteral("trendSpanCombo"));
    span_->addItems({QStringLiteral("Ostatnie 10 minut"), QStringLiteral("Cała sesja")});
    span_->setAccessibleName(QStringLiteral("Zakres wykresów"));
    span_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    spanLabel->setBuddy(span_);
    auto* axisLabel = new QLabel(QStringLiteral("Oś czasu:"), this);
    axis_ = new QComboBox(this);
    axis_->setObjectName(QStringLiteral("trendAxisCombo"));
    axis_->addItems({QStringLiteral("Czas komputera"), QStringLiteral("Czas modułu")});
    axis_->setAccessibleName(QStringLiteral("Oś czasu wykresów"));
    axis_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    axisLabel->setBuddy(axis_);
    auto* legend =
        new QLabel(QStringLiteral("Pod osią: ▲ alarm wejścia lub zwarcie wyjścia, ▼ powrót"), this);
    legend->setObjectName(QStringLiteral("trendLegend"));
    top->addWidget(spanLabel);
    top->addWidget(span_);
    top->addSpacing(12);
    top->addWidget(axisLabel);
    top->addWidget(axis_);
    top->addStretch();
    top->addWidget(legend);
    layout->addLayout(top);

    chart_ = new TrendChart(this);
    layout->addWidget(chart_, 1);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(2);
    for (std::size_t i = 0; i < kTrendSeriesCount; ++i) {
        const auto s = static_cast<TrendSeries>(i);
        auto* box = new QCheckBox(seriesTitle(s), this);
        box->setObjectName(QStringLiteral("trendSeries%1").arg(i));
        box->setChecked(true);
        box->setStyleSheet(QStringLiteral("color: %1").arg(seriesColour(s).name()));
        auto* stats = new QLabel(QStringLiteral("–"), this);
        stats->setObjectName(QStringLiteral("trendStats%1").arg(i));
        stats->setAccessibleName(text(trendSeriesCaption(s)) + QStringLiteral(": statystyka"));
        stats->setMinimumWidth(stats->fontMetrics().horizontalAdvance(
            QStringLiteral("min 00.0  maks. 00.0  średnio 00.0 °C")));
        const int row = static_cast<int>(i % 4), col = static_cast<int>(i / 4) * 2;
        grid->addWidget(box, row, col);
        grid->addWidget(stats, row, col + 1);
        switches_[i] = box;
        stats_[i] = stats;
        connect(box, &QCheckBox::toggled, this, [this] { updateChart(); });
    }
    grid->setColumnStretch(3, 1);
    layout->addLayout(grid);
    connect(span_, &QComboBox::currentIndexChanged, this, [this] { updateChart(); });
    connect(axis_, &QComboBox::currentIndexChanged, this, [this] { updateChart(); });
}

void TrendView::refresh(const TrendStore& store, std::int64_t nowMs) {
    store_ = &store;
    now_ = nowMs - nowMs % 1000; // the span moves on by whole seconds, as the samples come
    updateChart();
}

void TrendView::updateChart() {
    if (!store_) return;
    const bool whole = span_->currentIndex() == 1;
    const std::int64_t end = std::max(now_, store_->lastMs());
    const std::int64_t t0 =
        whole ? store_->firstMs() : std::max<std::int64_t>(0, end - kDefaultSpanMs);
    const std::int64_t t1 = whole ? std::max(end, t0 + 1000) : std::max(end, t0 + kDefaultSpanMs);
    std::array<bool, kTrendSeriesCount> shown{};
    for (std::size_t i = 0; i < kTrendSeriesCount; ++i)
        shown[i] = switches_[i]->isChecked();
    // The statistics change only with the samples or the span.
    const std::array<std::int64_t, 5> key{
        static_cast<std::int64_t>(store_->size()), store_->lastMs(), t0, t1,
        static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(store_))};
    for (std::size_t i = 0; i < kTrendSeriesCount && key != statsKey_; ++i) {
        const auto s = static_cast<TrendSeries>(i);
        const auto st = store_->stats(s, t0, t1);
        const QString unit = text(trendSeriesUnit(s));
        const QString t = st.count == 0 ? QStringLiteral("–")
                                        : QStringLiteral("min %1  maks. %2  średnio %3 %4")
                                              .arg(number(st.min, s), number(st.max, s),
                                                   number(st.mean, s), unit);
        if (stats_[i]->text() != t) stats_[i]->setText(t);
    }
    statsKey_ = key;
    chart_->setStore(store_);
    chart_->setSpan(t0, t1);
    chart_->setShown(shown);
    chart_->setModuleTime(axis_->currentIndex() == 1);
    chart_->update();
}

} // namespace qv::gui
