#pragma once
// The monitor's trends: one strip per chosen series (its own scale and unit) on a shared time
// axis, the input and output changes marked on that axis, and the minimum, maximum and mean
// of the visible span beside each series' switch. The data, the decimation to one min/max pair
// per pixel column and the statistics are the core's TrendStore; this only draws.
#include "monitor/trend_store.hpp"

#include <QImage>
#include <QWidget>

#include <array>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;

namespace qv::gui {

class TrendChart : public QWidget {
    Q_OBJECT
  public:
    explicit TrendChart(QWidget* parent = nullptr);
    void setStore(const qv::TrendStore* store) { store_ = store; }
    void setSpan(std::int64_t t0, std::int64_t t1) { t0_ = t0, t1_ = t1; }
    void setShown(const std::array<bool, kTrendSeriesCount>& shown) { shown_ = shown; }
    void setModuleTime(bool on) { moduleTime_ = on; }
    // Draws into any painter device (the widget's picture, or an image for measurements).
    void paintInto(QPaintDevice& device);
    // What a repaint does: the picture is drawn again only when the data, the span, the
    // choice of series or the size changed (once a second while the module sends); otherwise
    // the last one is shown.
    void paintCached(QPainter& painter);
    QSize sizeHint() const override { return {400, 240}; } // it takes the room the values leave

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    const qv::TrendStore* store_ = nullptr;
    std::int64_t t0_ = 0, t1_ = 600000;
    std::array<bool, kTrendSeriesCount> shown_{};
    bool moduleTime_ = false;
    std::vector<qv::TrendStore::Column> columns_; // reused by every paint
    struct Key {
        const qv::TrendStore* store = nullptr;
        std::size_t samples = 0, marks = 0;
        std::int64_t last = 0, t0 = 0, t1 = 0;
        std::array<bool, kTrendSeriesCount> shown{};
        bool moduleTime = false;
        int width = 0, height = 0;
        qreal ratio = 1;
        bool operator==(const Key&) const = default;
    };
    Key key() const;
    Key drawn_;
    QImage picture_;
};

class TrendView : public QWidget {
    Q_OBJECT
  public:
    static constexpr std::int64_t kDefaultSpanMs = 10 * 60 * 1000;

    explicit TrendView(QWidget* parent = nullptr);
    // Shows the store as it is now (the last ten minutes, or the whole session); ends at
    // nowMs (the live session's or the replay's position).
    void refresh(const qv::TrendStore& store, std::int64_t nowMs);
    TrendChart* chart() const { return chart_; }

    static QColor seriesColour(TrendSeries s);

  private:
    void updateChart();

    TrendChart* chart_;
    QComboBox* span_;
    QComboBox* axis_;
    std::array<QCheckBox*, kTrendSeriesCount> switches_{};
    std::array<QLabel*, kTrendSeriesCount> stats_{};
    const qv::TrendStore* store_ = nullptr;
    std::int64_t now_ = 0;
    std::array<std::int64_t, 5> statsKey_{-1, -1, -1, -1, -1}; // samples, last, t0, t1, store
};

} // namespace qv::gui
