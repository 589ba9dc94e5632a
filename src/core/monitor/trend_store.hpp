#pragma once
// The monitor's trends: every status line's measured values, kept compactly for a whole
// session (two bytes a value, 26 bytes a sample: eight hours of one-second samples take about
// 750 kB), with the changes of the inputs and outputs as marks on the time axis. The trend
// view asks for one min/max pair per pixel column of a time span, and for the minimum,
// maximum and mean of that span; both walk only the samples inside it.
#include "common/clock.hpp"
#include "monitor/monitor_model.hpp"

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// Caption and unit of each series, as the window and the CSV header name them.
std::string_view trendSeriesCaption(TrendSeries s);
std::string_view trendSeriesUnit(TrendSeries s);

class TrendStore {
  public:
    // Two days of one-second samples; past it the oldest quarter goes.
    static constexpr std::size_t kDefaultCapacity = 2 * 24 * 3600;
    static constexpr std::size_t kMarkCapacity = 100000;

    struct Mark {
        std::int64_t ms = 0;
        bool output = false; // false: input column `index`; true: output `index`
        int index = 0;
        bool active = false; // the input went into alarm, or the output closed
        bool operator==(const Mark&) const = default;
    };
    struct Column {
        float min = 0, max = 0;
        bool any = false; // a sample with a value lies in the column
    };
    struct Stats {
        double min = 0, max = 0, mean = 0;
        std::size_t count = 0; // samples with a value in the span
    };

    explicit TrendStore(std::size_t capacity = kDefaultCapacity);

    // Empties the store for a session that began at the given computer time.
    void clear(const LocalDateTime& sessionStart);
    // A sample taken ms milliseconds after the session began (never earlier than the last).
    void add(std::int64_t ms, const StatusSample& sample);
    // The module reported its clock (t) at ms: the module's time axis follows it from then on.
    void noteModuleTime(std::int64_t ms, const LocalDateTime& t);
    // The module's clock as the display shows it ("2024/05/17,12:34:56"); nothing when the text
    // is not one.
    static std::optional<LocalDateTime> parseDisplayedClock(std::string_view text);

    std::size_t size() const { return times_.size(); }
    bool empty() const { return times_.empty(); }
    std::int64_t timeAt(std::size_t i) const { return times_[i]; }
    std::int16_t valueAt(TrendSeries s, std::size_t i) const {
        return values_[static_cast<std::size_t>(s)][i];
    }
    StatusSample sampleAt(std::size_t i) const;
    std::int64_t firstMs() const { return times_.empty() ? 0 : times_.front(); }
    std::int64_t lastMs() const { return times_.empty() ? 0 : times_.back(); }
    const std::deque<Mark>& marks() const { return marks_; }
    const LocalDateTime& sessionStart() const { return start_; }
    // Seconds the module's clock is ahead of the computer's, once the module has reported it.
    std::optional<long long> moduleOffsetSeconds() const { return moduleOffset_; }
    // Computer or module time of a moment of the session.
    LocalDateTime timeOf(std::int64_t ms, bool moduleTime) const;

    // One min/max pair per column: column c covers [t0 + c·w, t0 + (c+1)·w) with
    // w = (t1 − t0) / columns. out is resized to columns.
    void columns(TrendSeries s, std::int64_t t0, std::int64_t t1, int columns,
                 std::vector<Column>& out) const;
    // Minimum, maximum and mean of the values in [t0, t1], in the series' unit.
    Stats stats(TrendSeries s, std::int64_t t0, std::int64_t t1) const;
    // Bytes the samples and marks take.
    std::size_t memoryBytes() const;

  private:
    std::size_t lowerBound(std::int64_t ms) const;
    void dropOldest(std::size_t n);

    std::size_t capacity_;
    LocalDateTime start_;
    std::optional<long long> moduleOffset_;
    std::vector<std::int64_t> times_;
    std::array<std::vector<std::int16_t>, kTrendSeriesCount> values_;
    std::vector<std::uint16_t> inputs_;
    std::vector<std::uint8_t> outputs_;
    std::vector<std::uint8_t> known_; // bit 0 inputs known, bit 1 outputs known
    std::deque<Mark> marks_;
    std::optional<StatusSample> last_;
};

// A value of a series in its unit: tenths shown with one decimal ("12.3"), the signal as a
// whole percentage ("48").
std::string trendValueText(TrendSeries s, std::int16_t raw);
inline double trendValue(TrendSeries s, std::int16_t raw) {
    return s == TrendSeries::Signal ? raw / 10 : raw / 10.0;
}

// The CSV export: a header line, then one line per sample: computer time, module time (empty
// until the module has reported its clock), the seven values, the 15 input columns (1 alarm,
// 0 no alarm) and the 5 outputs (1 closed, 0 open); an unknown value is an empty cell. Comma
// separated, "." as the decimal separator. The lines are UTF-8; writeTrendCsv writes them in
// Windows-1250 with CR LF.
std::string trendCsvHeader();
std::string trendCsvLine(const TrendStore& store, std::size_t i);
// Nothing on success, else the reason.
std::optional<std::string> writeTrendCsv(const std::string& path, const TrendStore& store);

} // namespace qv
