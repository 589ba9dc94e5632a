#pragma once
// Reading sysfs attribute files: one line each.
#include <filesystem>
#include <fstream>
#include <string>

namespace qv::sysfs {

// The first line of a file, without its line end and trailing blanks; empty when it cannot
// be read.
inline std::string readLine(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::string line;
    if (in) std::getline(in, line);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' '))
        line.pop_back();
    return line;
}

inline std::string lowerHex(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

} // namespace qv::sysfs
