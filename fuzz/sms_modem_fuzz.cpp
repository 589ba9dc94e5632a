// What a GSM modem sends back: the input is the modem's side of the line. A modem session
// prepares the modem, submits one message and listens, reading whatever comes (answers,
// unsolicited reports and messages, another program's chatter); every PDU decoder also reads
// the input's lines as PDUs. Nothing may crash, hang or read past the end; the session ends on
// the virtual clock whatever the modem says.
#include "fuzz_support.hpp"
#include "sms/modem_session.hpp"
#include "sms/sms_pdu.hpp"

#include <algorithm>

using namespace qv;

namespace {

// A port whose received bytes are the input, handed out in small pieces; silence once they
// run out.
class ScriptedPort final : public SerialPort {
  public:
    ScriptedPort(std::string_view bytes, VirtualClock& clock) : bytes_(bytes), clock_(clock) {}
    void open(const std::string&) override { open_ = true; }
    void close() noexcept override { open_ = false; }
    bool isOpen() const override { return open_; }
    std::string name() const override { return "fuzz"; }
    void setBaudRate(int) override {}
    void purge(bool, bool) override {}
    void setRts(bool) override {}
    using SerialPort::write;
    std::size_t write(std::span<const std::uint8_t> b) override { return b.size(); }
    std::size_t readAvailable(std::span<std::uint8_t> out) override {
        const std::size_t n = std::min({out.size(), bytes_.size() - pos_, std::size_t{7}});
        std::copy_n(bytes_.data() + pos_, n, out.data());
        pos_ += n;
        return n;
    }
    bool waitReadable(Clock::Duration timeout) override {
        if (pos_ < bytes_.size()) return true;
        clock_.advance(timeout);
        return false;
    }

  private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
    VirtualClock& clock_;
    bool open_ = false;
};

struct Quiet : ModemObserver {
    std::optional<std::string> pinWanted() override { return "1234"; }
};

void decodeLines(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line = text.substr(start, end - start);
        for (const std::optional<int> length : {std::optional<int>{}, std::optional<int>{25}})
            if (const auto tpdu = tpduOctets(line, length)) {
                (void)decodeDeliver(*tpdu);
                (void)decodeStatusReport(*tpdu);
            }
        (void)decodeSubmit(line);
        start = end + 1;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::asText(data, size);
    decodeLines(text);
    if (const auto septets = gsm7Septets(text)) {
        if (!unpackSeptets(packSeptets(*septets), septets->size()))
            fuzz::fail("packed septets did not unpack");
    }

    VirtualClock clock;
    ScriptedPort port(text, clock);
    Quiet observer;
    ModemSession session(port, clock, observer);
    const auto start = clock.now();
    if (session.open("fuzz", std::nullopt).ok) {
        std::string error;
        const auto pdu = encodeSubmit("+48600100200", "*PMAGSBO", {}, error);
        if (!pdu) fuzz::fail("the sample message was refused");
        (void)session.submit(*pdu);
        session.listen(std::chrono::seconds(30));
    }
    // Every wait has its limit: a session cannot run away on the virtual clock.
    if (clock.now() - start > std::chrono::hours(2)) fuzz::fail("the session waited too long");
    return 0;
}
