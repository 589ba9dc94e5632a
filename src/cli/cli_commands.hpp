#pragma once
// qvprog-cli: each group of commands lives in its own file and answers only its own names.
#include "config/config_document.hpp"
#include "tools/config_compare.hpp"

#include <initializer_list>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace qv::cli {

// Exit codes: 0 success, 1 the module or the file refused the operation, 2 bad usage or input.
inline constexpr int kExitOk = 0;
inline constexpr int kExitRefused = 1;
inline constexpr int kExitUsage = 2;

struct Invocation {
    std::vector<std::string> args; // args[0] is the command name
    std::ostream& out;
    std::ostream& err;
    std::string exeDir;      // folder of the executable, with a trailing '/'
    std::string settingsDir; // where QVPROG2.INI lives (settingsFolder), trailing '/'
    std::string archivePath; // the configuration archive's file (empty: no folder for it)
    std::string userName;    // the computer's user, kept with every archive entry
};

// Each returns nothing when args[0] is not one of its commands.
std::optional<int> runConfigCommand(const Invocation& inv);
std::optional<int> runDeviceCommand(const Invocation& inv);
std::optional<int> runMonitorCommand(const Invocation& inv);
std::optional<int> runDiffCommand(const Invocation& inv);
std::optional<int> runReportCommand(const Invocation& inv);
std::optional<int> runArchiveCommand(const Invocation& inv);
std::optional<int> runSmsSendCommand(const Invocation& inv);

// One option of a command: one that takes a value (value set) or a flag (flag set).
struct CliOption {
    const char* name;
    std::optional<std::string>* value = nullptr;
    bool* flag = nullptr;
};

// Reads args[1..] into the options' fields and the other arguments into positional. False, after
// "Błędna opcja: X" on standard error, for an unknown option, one without its value, or a value
// option given twice when repeats are refused (otherwise the last one counts).
bool readOptions(const Invocation& inv, std::initializer_list<CliOption> options,
                 std::vector<std::string>& positional, bool repeatsRefused = false);

// The document's start-up (QVPROG2.INI from inv.settingsDir, the defaults).
void startDocument(const Invocation& inv, qv::ConfigDocument& doc, const std::string& defaultPort);

// An absolute, normalised path (the document takes its folder from it).
std::string absolutePath(const std::string& path);

// Prints messages: errors and warnings to standard error, the others to standard output, or to
// standard error too when standard output carries data.
void printMessages(const Invocation& inv, const std::vector<qv::UserMessage>& messages,
                   bool outputIsData = false);

// Usage lines of each group, for the help text.
std::vector<std::string> configCommandUsage();
std::vector<std::string> deviceCommandUsage();
std::vector<std::string> monitorCommandUsage();
std::vector<std::string> diffCommandUsage();
std::vector<std::string> reportCommandUsage();
std::vector<std::string> archiveCommandUsage();

// What differs between two configurations, one line a setting and one a run of image bytes,
// as diff prints it.
void printDifferences(const Invocation& inv, const std::vector<SettingDifference>& settings,
                      const std::vector<ByteRange>& ranges, const ConfigImage& a,
                      const ConfigImage& b);
std::vector<std::string> smsSendCommandUsage();

} // namespace qv::cli
