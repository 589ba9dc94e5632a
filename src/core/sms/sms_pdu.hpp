#pragma once
// Short messages in PDU form, as a GSM modem takes and gives them in PDU mode (AT+CMGF=0): the
// SMS-SUBMIT the program sends, and the SMS-DELIVER and SMS-STATUS-REPORT the network brings
// back (3GPP TS 23.040), with the GSM 7-bit default alphabet (3GPP TS 23.038).
//
// Every decoder takes text from the modem as it came: it checks every length against the
// bytes there are and gives nothing for what it cannot read, never reading past the end.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// ---- GSM 7-bit default alphabet ----

// The septets of UTF-8 text in the default alphabet (characters of the extension table take
// two: escape and the character), or nothing when a character has no place in it.
std::optional<std::vector<std::uint8_t>> gsm7Septets(std::string_view utf8);
// UTF-8 text of septets; an unknown extension character is read as a blank.
std::string gsm7Text(const std::vector<std::uint8_t>& septets);
// Septets packed into octets, the first septet in the lowest bits of the first octet, after
// fillBits zero bits (when a user data header precedes the text).
std::vector<std::uint8_t> packSeptets(const std::vector<std::uint8_t>& septets, int fillBits = 0);
// count septets from packed octets, skipping fillBits bits first; nothing when the octets are
// too few.
std::optional<std::vector<std::uint8_t>> unpackSeptets(const std::vector<std::uint8_t>& octets,
                                                       std::size_t count, int fillBits = 0);

// ---- Numbers ----

// A destination number as the user typed it: "+48 600-100-200" (international) or
// "600100200" (national). Blanks and dashes are dropped; nothing when anything else remains
// besides digits (1 to 20 of them) after an optional leading "+".
std::optional<std::string> normalisedPhoneNumber(std::string_view typed);
// True when two numbers name the same line: equal, or one the other's national part (the last
// nine digits agree and the shorter has at least nine).
bool samePhoneNumber(std::string_view a, std::string_view b);

// ---- Time stamps ----

// A service-centre time stamp: the sender's local time and its offset from UTC.
struct SmsTimestamp {
    int year = 0; // four digits
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int zoneQuarterHours = 0; // +8 is UTC+2
    bool operator==(const SmsTimestamp&) const = default;
};
// "2024-03-05 14:07:09 +02:00".
std::string timestampText(const SmsTimestamp& t);

// ---- SMS-SUBMIT ----

// Relative validity periods (TP-VP): one day, the default: a command the module could not
// receive within a day is better dropped than applied long after the user stopped expecting it.
inline constexpr std::uint8_t kValidityOneDay = 167;
inline constexpr std::uint8_t kValidityFourDays = 170;

struct SubmitOptions {
    bool statusReport = true;                // TP-SRR: ask for a delivery report
    std::uint8_t validity = kValidityOneDay; // relative TP-VP
    std::uint8_t reference = 0;              // TP-MR; 0 lets the modem choose
};

struct SubmitPdu {
    std::string hex;    // what follows "AT+CMGS=<length>" and the prompt: "00" (the SIM's
                        // service centre) and the TPDU, in capital hexadecimal
    int tpduLength = 0; // <length> of AT+CMGS: the TPDU's octets, without the "00"
};

// Nothing, with the reason in error (Polish), for a number normalisedPhoneNumber refuses, a
// text outside the default alphabet or longer than 160 septets.
std::optional<SubmitPdu> encodeSubmit(std::string_view number, std::string_view text,
                                      const SubmitOptions& options, std::string& error);

// What an SMS-SUBMIT asks for (the simulated modem reads what the program sends).
struct DecodedSubmit {
    std::string number; // "+48600100200" or "600100200"
    std::string text;
    bool statusReport = false;
    std::uint8_t reference = 0;
};
// hex is the TPDU (with the service centre address first when withServiceCentre).
std::optional<DecodedSubmit> decodeSubmit(std::string_view hex, bool withServiceCentre = true);

// ---- What the network brings ----

struct DeliveredSms {
    std::string sender;               // "+48600100200", "600100200", or the sender's name
    std::optional<SmsTimestamp> sent; // the service centre's time stamp
    std::string text;                 // 8-bit data as "\xNN" where not printable ASCII
};

// The status a delivery report gives (TP-ST).
enum class ReportOutcome {
    delivered,   // 0x00..0x1F: the transaction completed
    stillTrying, // 0x20..0x3F: a temporary error, the centre keeps trying
    failed,      // 0x40..0x7F and beyond: a permanent error, or the centre stopped trying
};

struct StatusReport {
    std::uint8_t reference = 0; // TP-MR of the message it reports on
    std::string recipient;
    std::optional<SmsTimestamp> submitted;  // TP-SCTS: when the centre took the message
    std::optional<SmsTimestamp> discharged; // TP-DT: when the status was reached
    std::uint8_t status = 0;
    ReportOutcome outcome() const;
};
// Polish words for a TP-ST value: "doręczono", "odbiorca nieosiągalny (sieć ponawia)", ...
std::string reportStatusText(std::uint8_t status);

// The TPDU's octets in the modem's <pdu>: a modem gives the service centre's address first,
// some leave it out; tpduLength (the <length> the modem gives, when known) tells which.
// Nothing for hex that is not whole octets.
std::optional<std::vector<std::uint8_t>> tpduOctets(std::string_view hex,
                                                    std::optional<int> tpduLength);

std::optional<DeliveredSms> decodeDeliver(const std::vector<std::uint8_t>& tpdu);
std::optional<StatusReport> decodeStatusReport(const std::vector<std::uint8_t>& tpdu);

// TP-MTI of a TPDU's first octet: 0 DELIVER, 1 SUBMIT, 2 STATUS-REPORT.
inline int messageTypeOf(const std::vector<std::uint8_t>& tpdu) {
    return tpdu.empty() ? -1 : tpdu[0] & 0x03;
}

// ---- Errors ----

// The common +CMS ERROR codes (3GPP TS 27.005 3.2.5 and the network causes of TS 24.011)
// explained in Polish: "+CMS ERROR 331: brak sieci".
std::string cmsErrorText(int code);

} // namespace qv
