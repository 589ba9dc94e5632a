#pragma once
// Entries and scratch files for the archive's tests.
#include "archive/config_archive.hpp"
#include "config/settings.hpp"

#include <filesystem>
#include <string>

namespace qv::test {

// A configuration image with the site and the phone numbers given, its password "5511" and
// SIM PIN "7788".
ConfigImage siteImage(const std::string& siteName, const std::string& siteNumber,
                      const std::string& phone = "");

// An entry of the module with this serial number (identification "X/B/NAME_0503/<serial>").
NewArchiveEntry sampleEntry(const std::string& serial, const std::string& siteName = "Sklep",
                            const std::string& siteNumber = "0001", const std::string& phone = "");

// A fresh, empty folder for one test, removed with the object.
class ScratchFolder {
  public:
    explicit ScratchFolder(const std::string& name);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    // The path of a file in it, as UTF-8 (the program's way on every system).
    std::string path(const std::string& name) const;

  private:
    std::filesystem::path dir_;
};

std::string fileBytes(const std::string& path);
void writeBytes(const std::string& path, const std::string& bytes);

} // namespace qv::test
