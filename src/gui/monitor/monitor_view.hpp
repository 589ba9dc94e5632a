#pragma once
// What the monitor window shows: the device-status values with their captions and gauges, the
// two banners over them, the event list, and the input and output indicators. refresh() shows
// the model as it is now and touches only widgets whose text, tooltip, colour or picture
// changed, so it is cheap enough to run on every repaint tick.
#include "gui/monitor/monitor_indicators.hpp"
#include "gui/widgets/clickable_label.hpp"
#include "monitor/monitor_model.hpp"

#include <QColor>
#include <QLabel>
#include <QWidget>

#include <array>

class QPlainTextEdit;
class QProgressBar;
class QGroupBox;

namespace qv::gui {

// A caption that opens something: navy, hand cursor, underlined while the pointer is over it
// or while it has the keyboard focus; Space or Enter opens it too. A link to assistive
// technology.
class LinkCaption : public ClickableLabel {
    Q_OBJECT
  public:
    LinkCaption(const QString& text, QWidget* parent);

  protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    void setUnderlined(bool on);
    bool hovered_ = false;
};

class MonitorView : public QWidget {
    Q_OBJECT
  public:
    explicit MonitorView(QWidget* parent = nullptr);

    void refresh(const qv::MonitorModel& model);
    // The next refresh shows another model (a replay's): the event list starts afresh.
    void restart();
    LinkCaption* resetsCaption() const { return resetsCaption_; }

  private:
    struct Value {
        QLabel* label = nullptr;
        Colour colour = Colour::Default;
    };
    struct Picture {
        QLabel* label = nullptr;
        Indicator shown = Indicator::Blank;
    };

    // The widths the window's font needs: as drawn, or more.
    void planWidths();
    void buildStatusGroup(QGroupBox* group);
    void buildInputs(QGroupBox* group);
    void buildOutputs(QGroupBox* group);
    QLabel* banner(const char* name, const QString& text, QColor background);
    void showValue(Value& v, const DisplayValue& d);
    static void showGauge(QProgressBar* bar, const Gauge& g, Colour& shownColour);
    static void showPicture(Picture& p, Indicator which, const std::string& tooltip);

    std::array<Value, kMonitorValueCount> values_{};
    QProgressBar* csqGauge_ = nullptr;
    Colour csqColour_ = Colour::Default;
    QProgressBar* historyUsage_ = nullptr;
    Colour historyColour_ = Colour::Default;
    QLabel* labelWait_ = nullptr;
    Rgb waitShown_{0, 255, 0};
    QLabel* labelConfig_ = nullptr;
    QPlainTextEdit* events_ = nullptr;
    long long eventsShown_ = 0;
    std::array<Picture, kMonitorInputs> lights_{};
    std::array<Picture, kMonitorInputs> panelMarks_{};
    std::array<Picture, kMonitorInputs> lockMarks_{};
    std::array<Picture, kMonitorOutputs> outputs_{};
    LinkCaption* resetsCaption_ = nullptr;
    int captionWidth_ = 0, valueLeft_ = 0, statusWidth_ = 0, inputStep_ = 0, outputStep_ = 0;
};

} // namespace qv::gui
