#include "cli/cli_commands.hpp"

#include "common/file_io.hpp"

#include <filesystem>
#include <ostream>

namespace qv::cli {

bool readOptions(const Invocation& inv, std::initializer_list<CliOption> options,
                 std::vector<std::string>& positional, bool repeatsRefused) {
    const auto& a = inv.args;
    for (std::size_t k = 1; k < a.size(); ++k) {
        const CliOption* option = nullptr;
        for (const auto& o : options)
            if (a[k] == o.name) option = &o;
        bool ok = true;
        if (option && option->flag) {
            *option->flag = true;
        } else if (option) {
            ok = k + 1 < a.size() && !(repeatsRefused && option->value->has_value());
            if (ok) *option->value = a[++k];
        } else if (a[k].starts_with("--")) {
            ok = false;
        } else {
            positional.push_back(a[k]);
        }
        if (!ok) {
            inv.err << "Błędna opcja: " << a[k] << '\n';
            return false;
        }
    }
    return true;
}

void startDocument(const Invocation& inv, ConfigDocument& doc, const std::string& defaultPort) {
    if (!inv.settingsDir.empty()) doc.setSettingsDir(inv.settingsDir);
    doc.startUp(defaultPort);
}

std::string absolutePath(const std::string& path) {
    const auto p = pathFromUtf8(path);
    if (!p) return path;
    std::error_code ec;
    const auto a = std::filesystem::absolute(*p, ec);
    if (ec) return path;
    const std::string text = utf8FromPath(a.lexically_normal());
    return text.empty() ? path : text;
}

void printMessages(const Invocation& inv, const std::vector<UserMessage>& messages,
                   bool outputIsData) {
    for (const auto& m : messages)
        (m.icon == UserMessage::Icon::Error || m.icon == UserMessage::Icon::Warning || outputIsData
             ? inv.err
             : inv.out)
            << m.text << '\n';
}

} // namespace qv::cli
