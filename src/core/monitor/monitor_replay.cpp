#include "monitor/monitor_replay.hpp"

#include <algorithm>

namespace qv {

TrendFeed::TrendFeed(MonitorModel& model, TrendStore& store, const Clock& clock)
    : model_(&model), store_(&store), clock_(&clock) {
    model.setSampleListener([this](const StatusSample& sample) {
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(clock_->now() - start_).count();
        const std::string& shown = model_->value(MonitorValue::DateTime).text;
        if (shown != shownClock_) {
            shownClock_ = shown;
            if (const auto t = TrendStore::parseDisplayedClock(shown))
                store_->noteModuleTime(ms, *t);
        }
        store_->add(ms, sample);
    });
}

void TrendFeed::start() {
    start_ = clock_->now();
    shownClock_.clear();
    store_->clear(clock_->localTime());
}

LocalDateTime ReplayClock::localTime() const {
    const std::int64_t total = start_.millisecond + ms_;
    LocalDateTime t = addSeconds(start_, total / 1000);
    t.millisecond = static_cast<int>(total % 1000);
    return t;
}

MonitorReplay::MonitorReplay(std::istream& in, MonitorModel::Options options)
    : reader_(in), options_(options), clock_(reader_.header().start) {
    if (!reader_.valid()) {
        damage_ = reader_.error();
    } else {
        while (const auto batch = reader_.next())
            duration_ = batch->ms;
        damage_ = reader_.error();
    }
    rebuild();
}

void MonitorReplay::rebuild() {
    reader_.rewind();
    pending_.reset();
    clock_.set(0);
    position_ = 0;
    nextTick_ = 1000;
    feed_.reset();
    model_ = std::make_unique<MonitorModel>(clock_, options_);
    feed_ = std::make_unique<TrendFeed>(*model_, trends_, clock_);
    feed_->start();
    // As the window does before it shows itself on a port.
    model_->displayReset();
    model_->shown();
    model_->takeEffects();
    ++generation_;
}

void MonitorReplay::seek(std::int64_t ms) {
    if (!valid()) return;
    ms = std::clamp<std::int64_t>(ms, 0, duration_);
    if (ms < position_) rebuild();
    auto tickUntil = [&](std::int64_t t) {
        for (; nextTick_ <= t; nextTick_ += 1000) {
            clock_.set(nextTick_);
            model_->tick();
            for (const auto& e : model_->takeEffects())
                if (e.kind == MonitorEffectKind::SilenceMessage) model_->silenceMessageDismissed();
        }
    };
    for (;;) {
        if (!pending_) pending_ = reader_.next();
        if (!pending_ || pending_->ms > ms) break;
        tickUntil(pending_->ms);
        clock_.set(pending_->ms);
        model_->receive(pending_->bytes);
        for (const auto& e : model_->takeEffects())
            if (e.kind == MonitorEffectKind::SilenceMessage) model_->silenceMessageDismissed();
        pending_.reset();
    }
    tickUntil(ms);
    clock_.set(ms);
    position_ = ms;
}

} // namespace qv
