#include "config/item_lists.hpp"

namespace qv::items {

namespace {
std::vector<std::string> numbers(int from, int to, int step = 1, const char* suffix = "") {
    std::vector<std::string> v;
    for (int i = from; i <= to; i += step)
        v.push_back(std::to_string(i) + suffix);
    return v;
}
std::string tenths(int t) {
    return std::to_string(t / 10) + "." + std::to_string(t % 10);
}
} // namespace

const std::vector<SlotLabel>& slotLabels() {
    static const std::vector<SlotLabel> labels = {
        {"Test/Status", "T"},  {"Wejście AC", "Z"},   {"Akumulator", "A"},   {"Zasięg GSM", "G"},
        {"Wejście 1(K)", "1"}, {"Wejście 2(Z)", "2"}, {"Wejście 3(A)", "3"}, {"Wejście 4(A)", "4"},
        {"Wejście 5", "5"},    {"Ex 1", "E1"},        {"Ex 2", "E2"},        {"Ex 3", "E3"},
        {"Ex 4", "E4"},        {"Ex 5", "E5"},        {"Ex 6", "E6"},
    };
    return labels;
}

const char* slotLabel(int slot) {
    return slotLabels().at(static_cast<std::size_t>(slot - 1)).label;
}

std::vector<std::string> eventCnt() {
    return numbers(1, 9);
}
std::vector<std::string> eventCntReset() {
    return numbers(1, 60);
}
std::vector<std::string> econoMode() {
    return {"NIE", "TAK"};
}
std::vector<std::string> retryCnt() {
    return numbers(1, 10);
}

std::vector<std::string> testPeriod() {
    std::vector<std::string> v;
    for (int h = 0; h <= 23; ++h)
        for (int m = 0; m <= 5; ++m)
            v.push_back(std::to_string(h) + ":" + std::to_string(m) + "0");
    v.erase(v.begin());
    v.emplace_back("24:00");
    return v;
}

std::vector<std::string> clipTime() {
    return {"Krótki", "Średni", "Długi"};
}

std::vector<std::string> accuMin() {
    std::vector<std::string> v;
    for (int t = 100; t <= 120; ++t)
        v.push_back(tenths(t));
    return v;
}

std::vector<std::string> accuMax() {
    std::vector<std::string> v;
    for (int t = 120; t <= 130; ++t)
        v.push_back(tenths(t));
    return v;
}

std::vector<std::string> acLevel() {
    return numbers(1, 24);
}

std::vector<std::string> analogLevel() {
    std::vector<std::string> v;
    for (int i = 1; i <= kAnalogItems; ++i)
        v.push_back(std::to_string(i / 10) + "," + std::to_string(i % 10));
    return v;
}

std::vector<std::string> pingTime() {
    return numbers(1, 15);
}
std::vector<std::string> dtmfType() {
    return {"Contact ID"};
}
std::vector<std::string> delaySeconds() {
    return numbers(0, 60, 5);
}
std::vector<std::string> bellTime() {
    return numbers(1, 60, 1, " min.");
}

std::vector<std::string> inputTime(int slot) {
    if (slot == 2) return numbers(1, kInputTimeItemsSlot2);
    std::vector<std::string> v;
    for (int i = 1; i <= 9; ++i)
        v.push_back("0." + std::to_string(i));
    for (int i = 1; i <= 25; ++i)
        v.push_back(std::to_string(i));
    return v;
}

std::vector<std::string> outputTypes(int output) {
    return {"Bistabilne SMS",         output == 1 ? "Sygnalizator" : "-----------",
            "Strefa (czy uzbrojona)", "Błąd",
            "Stan wejścia",           "Monostabline CLIP/SMS",
            "Bistabilne CLIP/SMS",    "Monostabilne SMS"};
}

std::vector<std::string> outputSeconds() {
    return numbers(1, kOutputSecondsItems, 1, " sec.");
}

std::vector<std::string> outputInputs() {
    std::vector<std::string> v;
    for (const auto& l : slotLabels())
        v.emplace_back(l.label);
    return v;
}

} // namespace qv::items
