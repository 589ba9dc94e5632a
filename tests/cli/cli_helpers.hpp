#pragma once
// Runs qvprog-cli and captures what it prints.
#include <string>

namespace qv::test {

struct CliRun {
    int exitCode = -1;
    std::string out; // standard output
    std::string err; // standard error
};

// args are passed to the shell as they stand (quote them where needed).
CliRun runCli(const std::string& args);
// The same, with the environment changed first by env(1)'s arguments ("-u HOME X=1").
CliRun runCliWithEnvironment(const std::string& envArgs, const std::string& args);

// A fresh, empty folder for one test.
std::string scratchDir(const std::string& name);

} // namespace qv::test
