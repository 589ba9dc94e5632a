#pragma once
// The phone base text file (.PHBINI): an INI file with one section [ADDITIONAL_PHONE] holding
// NUMBER_n and NAME_n for n = 1..4000, WELCOME_STRING and GOOBYE_STRING, in Windows-1250.
// The whole file is read or written in one pass.
#include "tools/phone_base.hpp"

#include <string>
#include <string_view>

namespace qv {

inline constexpr std::string_view kPhoneBaseSection = "ADDITIONAL_PHONE";
inline constexpr std::string_view kPhoneBaseSavedMessage = "Zapisano";
inline constexpr std::string_view kPhoneBaseLoadedMessage = "Odczytano";
inline constexpr std::string_view kPhoneBaseSaveErrorMessage = "Błąd zapisu konfiguracji";
inline constexpr std::string_view kPhoneBaseLoadErrorMessage = "Błąd odczytania konfiguracji";
inline constexpr std::size_t kPhoneBaseFileMaxSize = 16u << 20; // larger files are refused

struct PhoneBaseFileResult {
    bool ok = true;
    std::string message; // the message the window shows ("Zapisano", "Błąd zapisu ..." ...)
};

// Writes every row and both texts. Other sections of an existing file are kept.
PhoneBaseFileResult savePhoneBaseFile(const std::string& path, const PhoneBaseTable& table);

// Reads every row and both texts (a missing key reads as empty, each text cut to 149
// characters). The numbers are taken as they stand. On failure the table is left as it was.
PhoneBaseFileResult loadPhoneBaseFile(const std::string& path, PhoneBaseTable& table);

} // namespace qv
