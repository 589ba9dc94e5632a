#include "link/round_trip.hpp"

#include "link/link_types.hpp"

#include <algorithm>
#include <cstdio>

namespace qv {

void RoundTripMeter::add(Clock::Duration d) {
    if (samples_.size() < kSamples) samples_.push_back(std::max(d, Clock::Duration::zero()));
}

std::optional<Clock::Duration> RoundTripMeter::median() const {
    if (samples_.empty()) return std::nullopt;
    auto sorted = samples_;
    const auto mid = sorted.begin() + static_cast<std::ptrdiff_t>(sorted.size() / 2);
    std::nth_element(sorted.begin(), mid, sorted.end());
    if (sorted.size() % 2 == 1) return *mid;
    const auto lower = *std::max_element(sorted.begin(), mid);
    return lower + (*mid - lower) / 2;
}

bool roundTripIsSlow(Clock::Duration median) {
    return median > kSlowRoundTrip;
}

std::string millisecondsText(Clock::Duration d) {
    const double ms = std::chrono::duration<double, std::milli>(d).count();
    char text[32];
    std::snprintf(text, sizeof text, "%.1f ms", ms);
    return text;
}

std::string transferTimeText(Clock::Duration roundTrip, long long bytes) {
    const double seconds =
        std::chrono::duration<double>(roundTrip).count() * static_cast<double>(bytes);
    char text[48];
    if (seconds < 10) {
        std::snprintf(text, sizeof text, "%.1f s", seconds);
        return text;
    }
    const auto whole = static_cast<long long>(seconds + 0.5);
    if (whole < 60) return std::to_string(whole) + " s";
    if (whole < 3600)
        return std::to_string(whole / 60) + " min " + std::to_string(whole % 60) + " s";
    return std::to_string(whole / 3600) + " h " + std::to_string(whole % 3600 / 60) + " min";
}

namespace {

std::string adapterLine(const AdapterDescription& a) {
    if (!a.found)
        return "Adapter: nie rozpoznano" +
               (a.note.empty() ? std::string(".") : " (" + a.note + ").");
    std::string line = "Adapter: ";
    line += a.isFtdi() ? "FTDI " : "USB ";
    line += a.vendorId.empty() ? "?" : a.vendorId;
    line += ":" + (a.productId.empty() ? std::string("?") : a.productId);
    if (!a.driver.empty()) line += ", sterownik " + a.driver;
    if (a.latencyTimerMs)
        line += ", opóźnienie (latency timer) " + std::to_string(*a.latencyTimerMs) + " ms";
    return line + ".";
}

std::string remedyLine(const AdapterDescription& a) {
    if (a.latencyTimerMs && *a.latencyTimerMs <= kLowLatencyTimerMs)
        return "Opóźnienie adaptera jest już najmniejsze: przyczyna leży gdzie indziej "
               "(koncentrator USB, przedłużacz, inny adapter).";
    const std::string command = lowLatencyCommand(a);
    switch (a.system) {
    case AdapterSystem::sysfs:
        if (!command.empty())
            return "Poprawka: ustaw opóźnienie " + std::to_string(kLowLatencyTimerMs) +
                   " ms poleceniem: " + command;
        break;
    case AdapterSystem::windows:
        if (!command.empty())
            return "Poprawka (wymaga uprawnień administratora): " + command +
                   ", potem odłącz adapter i podłącz go ponownie.";
        break;
    case AdapterSystem::simulated:
        if (!command.empty()) return "Poprawka: moduł symulowany z opcją " + command + ".";
        break;
    case AdapterSystem::other:
        break;
    }
    return "Poprawka: w ustawieniach sterownika adaptera ustaw opóźnienie (latency timer) " +
           std::to_string(kLowLatencyTimerMs) + " ms albo użyj adaptera z układem FTDI.";
}

} // namespace

std::optional<LatencyHint> latencyHint(Clock::Duration median, const AdapterDescription& adapter) {
    if (!roundTripIsSlow(median)) return std::nullopt;
    LatencyHint hint;
    hint.port = adapter.port;
    hint.lines.push_back("Uwaga: wolny adapter USB - odpowiedź modułu przychodzi po " +
                         millisecondsText(median) + ", a łącze potrzebuje " +
                         millisecondsText(kLineRoundTrip) + ".");
    hint.lines.push_back("W tym tempie zapis konfiguracji (" + std::to_string(kConfigLength) +
                         " bajtów) potrwa około " + transferTimeText(median, kConfigLength) +
                         ", baza telefonów (" + std::to_string(kPhoneBaseLength) +
                         " bajtów) około " + transferTimeText(median, kPhoneBaseLength) + ".");
    hint.lines.push_back(adapterLine(adapter));
    hint.lines.push_back(remedyLine(adapter));
    hint.offersElevatedFix =
        adapter.system == AdapterSystem::windows && adapter.isFtdi() &&
        !lowLatencyCommand(adapter).empty() &&
        !(adapter.latencyTimerMs && *adapter.latencyTimerMs <= kLowLatencyTimerMs);
    return hint;
}

} // namespace qv
