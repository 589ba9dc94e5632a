#include "monitor/trend_store.hpp"

#include "common/cp1250.hpp"
#include "common/file_io.hpp"
#include "common/text_format.hpp"

#include <algorithm>
#include <array>
#include <limits>

namespace qv {

namespace {

constexpr std::array<std::string_view, kTrendSeriesCount> kCaptions = {
    "Napięcie AC", "Napięcie akumulatora", "Wejście analogowe 3", "Wejście analogowe 4",
    "Termometr 1", "Termometr 2",          "Poziom zasięgu"};
constexpr std::array<std::string_view, kTrendSeriesCount> kUnits = {"V",  "V",  "V", "V",
                                                                    "°C", "°C", "%"};

constexpr std::uint8_t kInputsKnown = 1, kOutputsKnown = 2;

void addMarks(std::deque<TrendStore::Mark>& marks, std::int64_t ms, bool output, unsigned before,
              unsigned after, int count) {
    for (int i = 0; i < count; ++i) {
        const bool was = (before >> i) & 1u, now = (after >> i) & 1u;
        if (was != now) marks.push_back({ms, output, i, now});
    }
}

} // namespace

std::string_view trendSeriesCaption(TrendSeries s) {
    return kCaptions[static_cast<std::size_t>(s)];
}
std::string_view trendSeriesUnit(TrendSeries s) {
    return kUnits[static_cast<std::size_t>(s)];
}

TrendStore::TrendStore(std::size_t capacity) : capacity_(std::max<std::size_t>(capacity, 4)) {}

void TrendStore::clear(const LocalDateTime& sessionStart) {
    start_ = sessionStart;
    moduleOffset_.reset();
    times_.clear();
    for (auto& v : values_)
        v.clear();
    inputs_.clear();
    outputs_.clear();
    known_.clear();
    marks_.clear();
    last_.reset();
}

void TrendStore::dropOldest(std::size_t n) {
    n = std::min(n, times_.size());
    const auto cut = [n](auto& v) {
        v.erase(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(n));
    };
    cut(times_);
    for (auto& v : values_)
        cut(v);
    cut(inputs_);
    cut(outputs_);
    cut(known_);
    const std::int64_t first = firstMs();
    while (!marks_.empty() && marks_.front().ms < first)
        marks_.pop_front();
}

void TrendStore::add(std::int64_t ms, const StatusSample& sample) {
    if (!times_.empty() && ms < times_.back()) ms = times_.back(); // time never runs back
    if (times_.size() >= capacity_) dropOldest(capacity_ / 4);
    times_.push_back(ms);
    for (std::size_t s = 0; s < kTrendSeriesCount; ++s)
        values_[s].push_back(sample.values[s]);
    inputs_.push_back(sample.inputAlarms);
    outputs_.push_back(sample.outputsClosed);
    known_.push_back(static_cast<std::uint8_t>((sample.inputsKnown ? kInputsKnown : 0) |
                                               (sample.outputsKnown ? kOutputsKnown : 0)));
    // Marks: a change against the last known state (the first known state marks nothing).
    if (last_ && last_->inputsKnown && sample.inputsKnown)
        addMarks(marks_, ms, false, last_->inputAlarms, sample.inputAlarms, kMonitorInputs);
    if (last_ && last_->outputsKnown && sample.outputsKnown)
        addMarks(marks_, ms, true, last_->outputsClosed, sample.outputsClosed, kMonitorOutputs);
    while (marks_.size() > kMarkCapacity)
        marks_.pop_front();
    StatusSample kept = sample;
    if (!sample.inputsKnown && last_) {
        kept.inputsKnown = last_->inputsKnown;
        kept.inputAlarms = last_->inputAlarms;
    }
    if (!sample.outputsKnown && last_) {
        kept.outputsKnown = last_->outputsKnown;
        kept.outputsClosed = last_->outputsClosed;
    }
    last_ = kept;
}

StatusSample TrendStore::sampleAt(std::size_t i) const {
    StatusSample s;
    for (std::size_t k = 0; k < kTrendSeriesCount; ++k)
        s.values[k] = values_[k][i];
    s.inputAlarms = inputs_[i];
    s.outputsClosed = outputs_[i];
    s.inputsKnown = (known_[i] & kInputsKnown) != 0;
    s.outputsKnown = (known_[i] & kOutputsKnown) != 0;
    return s;
}

std::optional<LocalDateTime> TrendStore::parseDisplayedClock(std::string_view t) {
    // "20YY/MM/DD,hh:mm:ss"
    if (t.size() < 19) return std::nullopt;
    auto num = [&](std::size_t at, int digits) -> int {
        int v = 0;
        for (int k = 0; k < digits; ++k) {
            const char c = t[at + static_cast<std::size_t>(k)];
            if (c < '0' || c > '9') return -1;
            v = v * 10 + (c - '0');
        }
        return v;
    };
    const LocalDateTime d{num(0, 4), num(5, 2), num(8, 2), num(11, 2), num(14, 2), num(17, 2), 0};
    if (t[4] != '/' || t[7] != '/' || t[10] != ',' || t[13] != ':' || t[16] != ':') return {};
    if (d.year < 2000 || d.month < 1 || d.month > 12 || d.day < 1 || d.day > 31 || d.hour < 0 ||
        d.hour > 23 || d.minute < 0 || d.minute > 59 || d.second < 0 || d.second > 59)
        return std::nullopt;
    return d;
}

namespace {
// Seconds from 1970-01-01 of a civil date and time (days from civil, proleptic Gregorian).
long long epochSeconds(const LocalDateTime& t) {
    const int y = t.year - (t.month <= 2 ? 1 : 0);
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int mp = (t.month + 9) % 12;
    const int doy = (153 * mp + 2) / 5 + t.day - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const long long days = static_cast<long long>(era) * 146097 + doe - 719468;
    return days * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}
} // namespace

void TrendStore::noteModuleTime(std::int64_t ms, const LocalDateTime& t) {
    const LocalDateTime computer = timeOf(ms, false);
    moduleOffset_ = epochSeconds(t) - epochSeconds(computer);
}

LocalDateTime TrendStore::timeOf(std::int64_t ms, bool moduleTime) const {
    long long seconds = ms / 1000;
    if (moduleTime && moduleOffset_) seconds += *moduleOffset_;
    return addSeconds(start_, seconds);
}

std::size_t TrendStore::lowerBound(std::int64_t ms) const {
    return static_cast<std::size_t>(std::lower_bound(times_.begin(), times_.end(), ms) -
                                    times_.begin());
}

void TrendStore::columns(TrendSeries s, std::int64_t t0, std::int64_t t1, int columns,
                         std::vector<Column>& out) const {
    out.assign(static_cast<std::size_t>(std::max(columns, 0)), Column{});
    if (columns <= 0 || t1 <= t0) return;
    const auto& v = values_[static_cast<std::size_t>(s)];
    const double perColumn = static_cast<double>(t1 - t0) / columns;
    // The samples are in time order: walk them column by column, no division per sample.
    std::size_t i = lowerBound(t0);
    for (int c = 0; c < columns && i < times_.size() && times_[i] < t1; ++c) {
        const auto end =
            c + 1 == columns ? t1 : t0 + static_cast<std::int64_t>(perColumn * (c + 1) + 0.5);
        int lo = 32767, hi = -32768;
        for (; i < times_.size() && times_[i] < end; ++i) {
            const std::int16_t raw = v[i];
            if (raw == StatusSample::kNoValue) continue;
            lo = std::min<int>(lo, raw);
            hi = std::max<int>(hi, raw);
        }
        if (lo <= hi)
            out[static_cast<std::size_t>(c)] = {static_cast<float>(lo / 10.0),
                                                static_cast<float>(hi / 10.0), true};
    }
}

TrendStore::Stats TrendStore::stats(TrendSeries s, std::int64_t t0, std::int64_t t1) const {
    Stats st;
    const auto& v = values_[static_cast<std::size_t>(s)];
    long long sum = 0;
    int lo = std::numeric_limits<int>::max(), hi = std::numeric_limits<int>::min();
    for (std::size_t i = lowerBound(t0); i < times_.size() && times_[i] <= t1; ++i) {
        const std::int16_t raw = v[i];
        if (raw == StatusSample::kNoValue) continue;
        lo = std::min<int>(lo, raw);
        hi = std::max<int>(hi, raw);
        sum += raw;
        ++st.count;
    }
    if (st.count == 0) return st;
    st.min = lo / 10.0;
    st.max = hi / 10.0;
    st.mean = static_cast<double>(sum) / static_cast<double>(st.count) / 10.0;
    return st;
}

std::size_t TrendStore::memoryBytes() const {
    std::size_t n = times_.capacity() * sizeof(std::int64_t) +
                    inputs_.capacity() * sizeof(std::uint16_t) + outputs_.capacity() +
                    known_.capacity() + marks_.size() * sizeof(Mark);
    for (const auto& v : values_)
        n += v.capacity() * sizeof(std::int16_t);
    return n;
}

std::string trendValueText(TrendSeries s, std::int16_t raw) {
    if (raw == StatusSample::kNoValue) return {};
    if (s == TrendSeries::Signal) return std::to_string(raw / 10);
    return formatFixed1(raw / 10.0);
}

std::string trendCsvHeader() {
    std::string h = "Czas komputera,Czas modułu";
    for (std::size_t s = 0; s < kTrendSeriesCount; ++s) {
        const auto series = static_cast<TrendSeries>(s);
        std::string unit(trendSeriesUnit(series));
        if (unit == "°C") unit = "C";
        h += "," + std::string(trendSeriesCaption(series)) + " [" + unit + "]";
    }
    for (int i = 0; i < kMonitorInputs; ++i)
        h += "," + std::string(trimBlanks(inputCaption(i)));
    for (int j = 0; j < kMonitorOutputs; ++j)
        h += "," + std::string(trimBlanks(outputCaption(j)));
    return h;
}

std::string trendCsvLine(const TrendStore& store, std::size_t i) {
    const std::int64_t ms = store.timeAt(i);
    std::string line = formatProgDate(store.timeOf(ms, false)) + ",";
    if (store.moduleOffsetSeconds()) line += formatProgDate(store.timeOf(ms, true));
    for (std::size_t s = 0; s < kTrendSeriesCount; ++s) {
        const auto series = static_cast<TrendSeries>(s);
        line += "," + trendValueText(series, store.valueAt(series, i));
    }
    const StatusSample sample = store.sampleAt(i);
    for (int k = 0; k < kMonitorInputs; ++k) {
        line.push_back(',');
        if (sample.inputsKnown) line.push_back((sample.inputAlarms >> k) & 1u ? '1' : '0');
    }
    for (int k = 0; k < kMonitorOutputs; ++k) {
        line.push_back(',');
        if (sample.outputsKnown) line.push_back((sample.outputsClosed >> k) & 1u ? '1' : '0');
    }
    return line;
}

std::optional<std::string> writeTrendCsv(const std::string& path, const TrendStore& store) {
    std::string text = toCp1250(trendCsvHeader()) + "\r\n";
    text.reserve(store.size() * 100 + text.size());
    for (std::size_t i = 0; i < store.size(); ++i)
        text += trendCsvLine(store, i) + "\r\n"; // digits, signs and separators only
    return writeFileAtomic(path, text);
}

} // namespace qv
