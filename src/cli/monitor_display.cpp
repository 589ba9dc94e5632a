#include "cli/monitor_display.hpp"

#include "common/text_format.hpp"

namespace qv::cli {

namespace {

std::string_view colourName(Colour c) {
    switch (c) {
    case Colour::Default:
        return "default";
    case Colour::Black:
        return "black";
    case Colour::Red:
        return "red";
    case Colour::Green:
        return "green";
    case Colour::Yellow:
        return "yellow";
    case Colour::Lime:
        return "lime";
    }
    return "default";
}

std::string_view lightName(InputLight l) {
    switch (l) {
    case InputLight::Unknown:
        return "unknown";
    case InputLight::Alarm:
        return "alarm";
    case InputLight::NoAlarm:
        return "ok";
    }
    return "unknown";
}

std::string_view contactName(OutputContact c) {
    switch (c) {
    case OutputContact::Unknown:
        return "unknown";
    case OutputContact::Closed:
        return "closed";
    case OutputContact::Open:
        return "open";
    }
    return "unknown";
}

std::string_view panelName(PanelMark m) {
    return m == PanelMark::Cross ? "cross" : "blank";
}
std::string_view lockName(LockMark m) {
    return m == LockMark::Padlock ? "padlock" : "blank";
}

std::string trimmedCaption(std::string_view caption) {
    return std::string(trimBlanks(caption));
}

} // namespace

std::vector<std::string> monitorStateLines(const MonitorModel& model) {
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < kMonitorValueCount; ++i) {
        const auto v = static_cast<MonitorValue>(i);
        // The fill gauge of the event buffer stands between the panel state and the line.
        if (v == MonitorValue::Line)
            lines.push_back("historyUsage: " + std::to_string(model.historyUsage().value));
        lines.push_back(std::string(monitorValueName(v)) + ": " + model.value(v).text);
        if (v == MonitorValue::Csq)
            lines.push_back("csqGauge: " + std::to_string(model.signalGauge().value));
    }
    lines.push_back("status: " + model.statusBarText());
    for (int i = 0; i < kMonitorInputs; ++i) {
        const auto& in = model.inputs()[static_cast<std::size_t>(i)];
        lines.push_back("input " + trimmedCaption(inputCaption(i)) + ": " +
                        std::string(lightName(in.light)) + " " + std::string(panelName(in.panel)) +
                        " " + std::string(lockName(in.lock)));
    }
    for (int j = 0; j < kMonitorOutputs; ++j)
        lines.push_back(
            "output " + trimmedCaption(outputCaption(j)) + ": " +
            std::string(contactName(model.outputs()[static_cast<std::size_t>(j)].contact)));
    for (const auto& e : model.events())
        lines.push_back("event: " + e);
    return lines;
}

nlohmann::json monitorStateJson(const MonitorModel& model) {
    using nlohmann::json;
    json values = json::object();
    for (std::size_t i = 0; i < kMonitorValueCount; ++i) {
        const auto v = static_cast<MonitorValue>(i);
        const auto& d = model.value(v);
        values[std::string(monitorValueName(v))] = {
            {"text", d.text}, {"tooltip", d.tooltip}, {"colour", colourName(d.colour)}};
    }
    json inputs = json::array();
    for (int i = 0; i < kMonitorInputs; ++i) {
        const auto& in = model.inputs()[static_cast<std::size_t>(i)];
        inputs.push_back({{"caption", trimmedCaption(inputCaption(i))},
                          {"state", lightName(in.light)},
                          {"tooltip", in.tooltip},
                          {"panel", panelName(in.panel)},
                          {"lock", lockName(in.lock)}});
    }
    json outputs = json::array();
    for (int j = 0; j < kMonitorOutputs; ++j) {
        const auto& out = model.outputs()[static_cast<std::size_t>(j)];
        outputs.push_back({{"caption", trimmedCaption(outputCaption(j))},
                           {"state", contactName(out.contact)},
                           {"tooltip", out.tooltip}});
    }
    const auto& g = model.signalGauge();
    const auto bg = model.waitBannerBackground();
    return json{
        {"values", values},
        {"csqGauge",
         {{"value", g.value},
          {"max", g.max},
          {"tooltip", g.tooltip},
          {"colour", colourName(g.colour)}}},
        {"historyUsage",
         {{"value", model.historyUsage().value}, {"max", model.historyUsage().max}}},
        {"inputs", inputs},
        {"outputs", outputs},
        {"events", model.events()},
        {"waitBanner",
         {{"visible", model.waitBannerVisible()},
          {"text", model.waitBannerText()},
          {"background", {bg.red, bg.green, bg.blue}}}},
        {"configBanner", {{"visible", model.configBannerVisible()}}},
        {"statusBar", model.statusBarText()},
        {"received", model.receivedCount()},
        {"clockSync", model.clockSyncEnabled()},
        {"resets", model.resetsHistory()},
    };
}

} // namespace qv::cli
