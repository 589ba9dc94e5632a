#pragma once
// The two conversions between the settings and the configuration image.
#include "config/config_image.hpp"
#include "config/settings.hpp"

#include <functional>
#include <string>
#include <string_view>

namespace qv {

// Settings to image. Rewrites every field a setting covers and leaves every other byte alone.
// It normalises the four temperature boxes' texts to one decimal, so it takes the settings by
// reference. progDate is the current local time as "YYYY-MM-DD hh:mm:ss".
void form2tab(Settings& s, ConfigImage& image, const std::string& configFileName,
              const std::string& progDate);

// Receives "ERROR while convertion: " + group name for a group that failed.
using ConversionErrorHandler = std::function<void(const std::string& message)>;

// Image to settings, group by group; a failing group is reported and the next one goes on.
// Settings the image does not cover (descriptions, the memo) are not touched.
void tab2form(const ConfigImage& image, Settings& s, const ConversionErrorHandler& onError = {});

// The temperature rule: the box's text read as a number ("." separator, 0 when it is no
// number), as one-decimal text and as the stored tenths (low 16 bits).
struct Temperature {
    std::string text;
    std::uint16_t stored;
};
Temperature temperatureFromText(const std::string& text);
std::string temperatureText(std::uint16_t stored);

// The width of the image field that holds a [CONFIG] text key's value ("ALARM_PHONE": 15), or
// 0 for a key whose value is not stored as text of its own (lists, flags, action cells, the
// output alias, which the conversion always clears).
int textFieldWidth(std::string_view key);
// What a text field of width characters holds of a text, as the module receives it: the first
// width characters in Windows-1250.
std::string keptInField(std::string_view utf8, int width);

} // namespace qv
