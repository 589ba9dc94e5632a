#include "cli/cli_commands.hpp"

#include <filesystem>
#include <ostream>

namespace qv::cli {

void startDocument(const Invocation& inv, ConfigDocument& doc, const std::string& defaultPort) {
    if (!inv.settingsDir.empty()) doc.setSettingsDir(inv.settingsDir);
    doc.startUp(defaultPort);
}

std::string absolutePath(const std::string& path) {
    std::error_code ec;
    const auto a = std::filesystem::absolute(path, ec);
    return ec ? path : a.lexically_normal().string();
}

void printMessages(const Invocation& inv, const std::vector<UserMessage>& messages,
                   bool outputIsData) {
    for (const auto& m : messages)
        (m.icon == UserMessage::Icon::Error || outputIsData ? inv.err : inv.out) << m.text << '\n';
}

} // namespace qv::cli
