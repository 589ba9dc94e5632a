#pragma once
// Replay of a monitor recording: the recorded batches go to a MonitorModel at their recorded
// times, on a clock that reads the recording's time, so the values, inputs, outputs, events,
// line log and trends come out as they were in the live session. Jumping back rebuilds the
// model from the first batch (parsing is cheap: an hour of a module's stream takes a few
// milliseconds).
#include "common/clock.hpp"
#include "monitor/monitor_model.hpp"
#include "monitor/qvmon_file.hpp"
#include "monitor/trend_store.hpp"

#include <cstdint>
#include <istream>
#include <memory>
#include <string>

namespace qv {

// Keeps a TrendStore fed from a model: every status line's sample at the clock's time since
// the session began, and the module's clock each time the display shows a new one.
class TrendFeed {
  public:
    TrendFeed(MonitorModel& model, TrendStore& store, const Clock& clock);
    // A new session begins now (the store is emptied).
    void start();

  private:
    MonitorModel* model_;
    TrendStore* store_;
    const Clock* clock_;
    Clock::TimePoint start_{};
    std::string shownClock_;
};

// The recording's time: now() is the time since the recording began, localTime() the
// computer's time then. Sleeping does nothing (a replay never waits on its clock).
class ReplayClock final : public Clock {
  public:
    explicit ReplayClock(const LocalDateTime& start) : start_(start) {}
    TimePoint now() const override { return TimePoint(std::chrono::milliseconds(ms_)); }
    void sleepFor(Duration) override {}
    LocalDateTime localTime() const override;
    void set(std::int64_t ms) { ms_ = ms; }

  private:
    LocalDateTime start_;
    std::int64_t ms_ = 0;
};

class MonitorReplay {
  public:
    // Reads the header and runs through the recording once for its length; the stream must
    // stay open while the replay lives.
    MonitorReplay(std::istream& in, MonitorModel::Options options = {});

    bool valid() const { return reader_.valid(); }
    const QvmonHeader& header() const { return reader_.header(); }
    // Time of the last intact batch; the replay ends there.
    std::int64_t duration() const { return duration_; }
    // Empty for an intact recording; otherwise the message of the damage (or of a file that
    // is no recording), found when the replay was opened.
    const std::string& damage() const { return damage_; }

    // Plays on to ms (feeding every batch at or before it), or rebuilds from the start when
    // ms lies before the current position. The one-second timer ticks at every whole second
    // of the recording, as in the live window.
    void seek(std::int64_t ms);
    std::int64_t position() const { return position_; }
    bool atEnd() const { return position_ >= duration_; }
    // Bumped at every rebuild, so a view knows to show the model afresh.
    int generation() const { return generation_; }

    MonitorModel& model() { return *model_; }
    const MonitorModel& model() const { return *model_; }
    const TrendStore& trends() const { return trends_; }
    const ReplayClock& clock() const { return clock_; }

  private:
    void rebuild();

    QvmonReader reader_;
    MonitorModel::Options options_;
    ReplayClock clock_;
    std::unique_ptr<MonitorModel> model_;
    TrendStore trends_;
    std::unique_ptr<TrendFeed> feed_;
    std::optional<QvmonBatch> pending_;
    std::int64_t duration_ = 0;
    std::int64_t position_ = 0;
    std::int64_t nextTick_ = 1000;
    int generation_ = 0;
    std::string damage_;
};

} // namespace qv
