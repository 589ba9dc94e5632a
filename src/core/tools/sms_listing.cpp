#include "tools/sms_listing.hpp"

#include "common/cp1250.hpp"

#include <algorithm>
#include <array>

namespace qv {

namespace {

using memmap::addPhone;
using memmap::alarmPhone;
using memmap::alarmPrivText;
using memmap::alarmText;
using memmap::privPhone;
using memmap::returnPhone;
using memmap::returnPrivText;
using memmap::returnText;

const std::string kRule(77, '=');

constexpr std::array<std::string_view, 10> kTextSlotNames = {
    "\"TEST\"", "\"Sieć 220V\"", "\"Akumulator\"", "\"Sabotaż\"", "1", "2", "3", "4", "5", "6"};

constexpr std::array<std::string_view, 16> kPhoneSlotNames = {
    "TEST",      "Sieć 220V", "Akumulator", "Sabotaż",   "Wejście 1", "Wejście 2",
    "Wejście 3", "Wejście 4", "Wejście 5",  "Wejście 6", "Expander1", "Expander2",
    "Expander3", "Expander4", "Expander5",  "Expander6"};

// The text left-aligned and padded with blanks to width characters.
std::string padded(std::string_view text, std::size_t width) {
    std::string out(text);
    const std::size_t len = utf8Length(text);
    if (len < width) out.append(width - len, ' ');
    return out;
}

} // namespace

std::string encodeSmsCommand(int offset, std::span<const std::uint8_t> bytes) {
    const int address = ((offset % 17576) + 17576) % 17576;
    std::string body;
    body.reserve(3 + 2 * bytes.size());
    body.push_back(static_cast<char>('A' + address / 676 % 26));
    body.push_back(static_cast<char>('A' + address / 26 % 26));
    body.push_back(static_cast<char>('A' + address % 26));
    for (std::uint8_t b : bytes) {
        body.push_back(static_cast<char>('A' + (b >> 4)));
        body.push_back(static_cast<char>('A' + (b & 15)));
    }
    std::uint8_t sum = 0;
    for (char c : body)
        sum = static_cast<std::uint8_t>(sum + static_cast<unsigned char>(c));
    std::string command = "*P";
    command.push_back(static_cast<char>('A' + sum % 16));
    command += body;
    return command;
}

std::string smsCommand(const ConfigImage& image, int offset, int n) {
    const int size = static_cast<int>(ConfigImage::size());
    const int first = std::clamp(offset, 0, size);
    const int last = std::clamp(offset + std::max(n, 0), first, size);
    return encodeSmsCommand(offset,
                            std::span<const std::uint8_t>(image.data() + first,
                                                          static_cast<std::size_t>(last - first)));
}

namespace {

std::vector<SmsListingEntry> makeListingEntries() {
    std::vector<SmsListingEntry> out;
    out.reserve(kSmsListingLines);
    auto line = [&](std::string_view label, int offset, int n) {
        out.push_back({std::string(label), offset, n});
    };
    auto text = [&](std::string_view s) { out.push_back({std::string(s), 0, 0}); };

    text("");
    text(kRule);
    text("Wymiana pojedyńczych parametrów:");
    text("");
    text("[ GRUPA: WEJŚCIA ]");
    line("Wejścia NC/NO            : ", memmap::oINPUT_TYPE, 2);
    line("Czasy wejść              : ", memmap::oINPUT_DEAF_TIME, 9);
    line("Czy wejście jest resetem : ", memmap::oINPUT_FLAGS, 9);
    text("");

    text("[ GRUPA: PARAMETRY SYSTEMU ]");
    line("PIN                      : ", memmap::oPIN, memmap::wPIN);
    text("Hasło do modułu          : OPCJA ZABLOKOWANA");
    line("Licznik naruszeń         : ", memmap::oEVENT_CNT, 1);
    line("Reset licznika naruszeń  : ", memmap::oEVENT_CNT_RESET, 1);
    line("Okres testu              : ", memmap::oTEST_PERIOD, 2);
    line("Tryb ekonomiczny         : ", memmap::oFLAGS1, 1);
    line("Liczba prób SMS/CLIP     : ", memmap::oRETRY_CNT, 1);
    line("Długość CLIP             : ", memmap::oCLIP_TIME, 1);
    line("Numer obiektu            : ", memmap::oOBJECT, memmap::wOBJECT);
    line("Aktywuj centralkę        : ", memmap::oFLAGS1, 1);
    line("Tryb DGG16Z              : ", memmap::oFLAGS1, 1);
    line("Wylacz DGG16Z dla SMSow  : ", memmap::oFLAGS3, 1);
    line("Odpowiadaj testem na CLIP: ", memmap::oFLAGS1, 1);
    line("Akceptuj SMSy sterujące  : ", memmap::oFLAGS2, 1);
    line("Wlaczenie testu okresowego  : ", memmap::oFLAGS2, 1);
    line("Poziom zasięgu GSM       : ", memmap::oGSM_LEVEL, 1);
    for (int k = 1; k <= memmap::kAdditionalPhones; ++k)
        line("Telefon dodatkowy   " + std::to_string(k) + "    : ", addPhone(k),
             memmap::wADD_PHONE);
    text("");

    auto textLabel = [](std::string_view prefix, int slot) {
        return std::string(prefix) +
               padded(kTextSlotNames[static_cast<std::size_t>(slot - 1)], 13) + ": ";
    };
    auto phoneLabel = [](int slot) {
        return "Numer telefonu " +
               padded("\"" + std::string(kPhoneSlotNames[static_cast<std::size_t>(slot - 1)]) +
                          "\"",
                      13) +
               ": ";
    };

    text("[ ZAKŁADKA: SMS/CLIP (BAZA) ]");
    line("Akcje na alarm              : ", memmap::oALARM_ACTION, 40);
    line("Akcje na powrót             : ", memmap::oRETURN_ACTION, 40);
    for (int s = 1; s <= 10; ++s)
        line(textLabel("Tekst alarmu dla wejścia ", s), alarmText(s), memmap::wSMS_TEXT);
    for (int s = 1; s <= 10; ++s)
        line(textLabel("Tekst powrotu dla wejścia ", s), returnText(s), memmap::wSMS_TEXT);
    text("--- TELEFONY NA ALARM ---");
    for (int s = 1; s <= 16; ++s)
        line(phoneLabel(s), alarmPhone(s), memmap::wPHONE);
    text("--- TELEFONY NA POWROT ---");
    for (int s = 1; s <= 16; ++s)
        line(phoneLabel(s), returnPhone(s), memmap::wPHONE);
    text("");

    text("[ ZAKŁADKA: SMS/CLIP (PRYWATNE) ]");
    line("Akcje na alarm              : ", memmap::oALARM_ACTION, 40);
    line("Akcje na return             : ", memmap::oRETURN_ACTION, 40);
    line("Prefiks SMSów alarmowych    : ", memmap::oALARM_PREFIX, memmap::wPREFIX);
    line("Prefiks SMSów powrotnych    : ", memmap::oRETURN_PREFIX, memmap::wPREFIX);
    for (int s = 1; s <= 10; ++s)
        line(textLabel("Tekst alarmu dla wejścia ", s), alarmPrivText(s), memmap::wPRIV_TEXT);
    for (int s = 2; s <= 10; ++s)
        line(textLabel("Tekst powrotu dla wejścia ", s), returnPrivText(s), memmap::wPRIV_TEXT);
    for (int k = 1; k <= memmap::kPrivatePhones; ++k)
        line("Telefon prywatny nr " + std::to_string(k) + " : ", privPhone(k), memmap::wPHONE);
    text("");

    text("[ ZAKŁADKA: GPRS/DTMF ]");
    line("Pracuj w trybie GPRS : ", memmap::oFLAGS1, 1);
    line("Adres IP serwera     : ", memmap::oSERVER, 20);
    line("Port serwera         : ", memmap::oPORT, memmap::wPORT);
    line("Czas odswieżania     : ", memmap::oPING_TIME, 1);
    line("APN                  : ", memmap::oAPN, memmap::wAPN);
    line("APN - użytkownik     : ", memmap::oAPN_USER, memmap::wAPN_USER);
    line("APN - haslo          : ", memmap::oAPN_PASS, memmap::wAPN_PASS);
    text("");
    line("Numer telefonu bazy odbierający SMSy zapasowe z Contact-ID: ", memmap::oDTMF_PHONE,
         memmap::wPHONE);
    line("DTMF ACK DELAY          : ", memmap::oDTMF_ACK_DELAY, 1);
    line("DTMF KISS OFF DELAY     : ", memmap::oDTMF_KISS_OFF_DELAY, 1);
    text("");

    text("[ ZAKŁADKA: CENTRALKA ]");
    line("Wejście 1 blokuje                               : ", memmap::oZONE_MASK1, 2);
    line("Opóźnienie zadziałania wejścia zwłocznego (WE2) : ", memmap::oINPUT_DELAY, 1);
    line("Czas uzbrajania alarmu                          : ", memmap::oARM_DELAY, 1);
    line("Sygnalizator                                    : ", memmap::oZONE_BELL_MASK1, 2);
    line("Czas sygnału                                    : ", memmap::oBELL_TIME, 1);
    line("Sygnalizuj uzbrojenie/rozbrojenie               : ", memmap::oFLAGS1, 1);
    line("Tryb pracy wyjść                                : ", memmap::oOUTPUT_TYPE, 1);
    text(kRule);
    return out;
}

} // namespace

const std::vector<SmsListingEntry>& smsListingEntries() {
    static const std::vector<SmsListingEntry> entries = makeListingEntries();
    return entries;
}

std::vector<std::string> smsListing(const ConfigImage& image) {
    std::vector<std::string> out;
    out.reserve(kSmsListingLines);
    for (const auto& e : smsListingEntries())
        out.push_back(e.isCommand() ? e.label + smsCommand(image, e.offset, e.length) : e.label);
    return out;
}

std::string smsListingLabel(const SmsListingEntry& entry) {
    std::string label = entry.label;
    while (!label.empty() && (label.back() == ' ' || label.back() == ':'))
        label.pop_back();
    return label;
}

} // namespace qv
