#pragma once
// The texts the configuration commands show, as they stand.
namespace qv::msg {

inline constexpr const char* kAppTitle = "QVProg-2";
inline constexpr const char* kAppVersion = "QV PROG 2.2.24";
inline constexpr const char* kDefaultFileName = "new.qvx";
inline constexpr const char* kSettingsFileName = "QVPROG2.INI";
inline constexpr const char* kServiceMarkerFile = "qvxlock.txt";
inline constexpr const char* kFileFilter =
    "Pliki konfiguracyjne *.QVX|*.QVX|Pliki binarne *.bCFG|*.bCFG";

inline constexpr const char* kAskOverwrite = "Czy nadpisać wybrany plik ?";
inline constexpr const char* kSaveCancelled = "Anulowano zapis konfiguracji";
inline constexpr const char* kSaved = "Konfiguracja została zapisana";
inline constexpr const char* kSaveError = "Błąd zapisywania konfiguracji";
inline constexpr const char* kAskDiscardOnOpen =
    "Bieżąca konfiguracja była modyfikowana ! Czy chcesz kontynuować ?";
inline constexpr const char* kAskDiscardOnNew =
    "Konfiguracja była modyfikowana ! Czy chcesz kontynuować ?";
inline constexpr const char* kBadFile = "Niepoprawny plik";
inline constexpr const char* kBadConfigFile = "Niepoprawny plik konfiguracji";
inline constexpr const char* kOpened = "Konfiguracja otwarta pomyślnie";
inline constexpr const char* kHistoryOpened = "Historia otwarta pomyślnie";
inline constexpr const char* kFileOpenError = "Błąd otwarcia pliku "; // + path + "!"
inline constexpr const char* kTextOpenError = "Błąd otwarcia konfiguracji z pliku";
inline constexpr const char* kLogSaved = "Zapisano: ";
inline constexpr const char* kLogOpened = "Otwarto: ";
inline constexpr const char* kLogStart = "Start aplikacji";
inline constexpr const char* kLogFileDate = " Data pliku konfiguracji          : ";
inline constexpr const char* kLogFileApp = " Konfiguracja utworzona programem : ";
inline constexpr const char* kLogFileName = " Oryginalna nazwa pliku           : ";
inline constexpr const char* kExtractError = "ERROR while extract: ";
inline constexpr const char* kConversionError = "ERROR while convertion: ";

} // namespace qv::msg
