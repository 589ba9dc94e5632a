#pragma once
// The configuration commands of a change: the fewest "*P" commands (one per SMS, at most 64
// bytes each) that turn the configuration a module holds (the base image) into another (the
// target image). Each command writes one run of image bytes; runs of changed bytes close to
// each other share a command when that saves a message, the bytes between them being sent
// with the values the module already holds. Each command carries the labels of the listing's
// lines (or, for bytes the listing has no line for, of the window's settings) whose bytes it
// changes, so the user sees which setting each message sets.
//
// Pure functions over two images: no clock, no port, no state.
#include "config/config_image.hpp"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// The most bytes one command carries: 6 + 2 * 64 = 134 letters, one SMS of the default
// alphabet.
inline constexpr int kSmsCommandMaxBytes = 64;

struct SmsConfigCommand {
    int offset = 0;                  // the first image byte it writes
    std::vector<std::uint8_t> bytes; // the bytes it writes there
    std::string text;                // "*P" + check letter + address + data
    std::vector<std::string> labels; // the settings it changes, in the listing's order
    bool operator==(const SmsConfigCommand&) const = default;
};

struct SmsChange {
    std::vector<SmsConfigCommand> commands;
    // What differs and is not sent, for the user (Polish): the module password.
    std::vector<std::string> notes;
};

// True for an image byte no configuration command carries: the programming date and the file
// name every conversion stamps into an image (they tell nothing of the configuration and would
// cost a message on nearly every change), and the module password (never put into an SMS, as
// the listing never shows it).
bool excludedFromSmsCommands(int offset);

// The commands that turn base into target: no command when only excluded bytes differ.
SmsChange smsChangeCommands(const ConfigImage& base, const ConfigImage& target);

// Every command of the listing for target, as the listing gives them, each (offset, length)
// once with the labels of all its lines ("Tryb ekonomiczny", "Aktywuj centralkę", ...).
SmsChange smsWholeConfigurationCommands(const ConfigImage& target);

// The labels joined for one line: "Numer telefonu \"TEST\", PIN".
std::string joinedLabels(const SmsConfigCommand& command);

// The label of bytes first..last that neither the listing nor a setting names:
// "Obraz 156..158" ("Obraz 156" for one byte).
std::string imageRangeLabel(int first, int last);

} // namespace qv
