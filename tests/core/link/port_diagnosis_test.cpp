// The port to use when the configured one is missing, the Windows port list from device
// records, and what a port failure tells the user to do.
#include "link/port_choice.hpp"
#include "link/port_failure.hpp"
#include "link/usb_serial.hpp"
#include "support/sim_session.hpp"

#include <gtest/gtest.h>

namespace qv::test {
namespace {

using Lines = std::vector<std::string>;

PortEntry adapter(const std::string& name, const std::string& vid, const std::string& pid) {
    PortEntry p;
    p.name = name;
    p.usbAdapter = true;
    p.vendorId = vid;
    p.productId = pid;
    return p;
}

PortEntry builtIn(const std::string& name) {
    PortEntry p;
    p.name = name;
    p.driver = "serial8250";
    return p;
}

std::string text(const Lines& lines) {
    std::string all;
    for (const auto& l : lines)
        all += l + "\n";
    return all;
}

TEST(PortFault, theSystemsWordsNameTheKind) {
    const std::vector<std::pair<std::string, PortFault>> cases = {
        {"No such file or directory", PortFault::missing},
        {"No such device", PortFault::gone},
        {"Permission denied", PortFault::accessDenied},
        {"Permission error while locking the device", PortFault::busy},
        {"Input/output error (Windows error 1167)", PortFault::io},
        {"", PortFault::other},
    };
    for (const auto& [reason, fault] : cases)
        EXPECT_EQ(PortError(reason).fault(), fault) << reason;
    EXPECT_EQ(PortError("Permission denied", PortFault::busy).fault(), PortFault::busy);
}

TEST(PortChoice, theConfiguredPortOrTheOnlyAdapterOrAQuestion) {
    const PortInventory one{{builtIn("/dev/ttyS0"), adapter("/dev/ttyUSB1", "0403", "6001")}, {}};
    PortInventory two = one;
    two.ports.insert(two.ports.begin(), adapter("/dev/ttyACM0", "1a86", "55d4"));
    const PortInventory none{{builtIn("/dev/ttyS0")}, {}};
    using O = PortChoice::Outcome;
    EXPECT_EQ(choosePort("/dev/ttyUSB0", true, one).outcome, O::configured);
    EXPECT_EQ(choosePort("sim:late=3", false, none).outcome, O::configured);
    // A simulated modem is never swapped for the adapter attached.
    for (const char* modem : {"sim-modem", "sim-modem:pin=1234"}) {
        const PortChoice kept = choosePort(modem, false, one);
        EXPECT_EQ(kept.outcome, O::configured) << modem;
        EXPECT_EQ(kept.port, modem);
    }

    const PortChoice taken = choosePort("/dev/ttyUSB0", false, one);
    EXPECT_EQ(taken.outcome, O::onlyAdapter);
    EXPECT_EQ(taken.port, "/dev/ttyUSB1");
    EXPECT_EQ(taken.lines, Lines{"Port /dev/ttyUSB0 nie jest podłączony; używam jedynego "
                                 "podłączonego adaptera: /dev/ttyUSB1 (adapter FTDI FT232R (USB "
                                 "0403:6001))."});
    const PortChoice asked = choosePort("COM1", false, two);
    EXPECT_EQ(asked.outcome, O::severalAdapters);
    EXPECT_EQ(asked.port, "COM1");
    EXPECT_EQ(asked.lines, (Lines{"Port COM1 nie jest podłączony. Podłączone adaptery - "
                                  "wybierz jeden:",
                                  "  /dev/ttyACM0: adapter WCH CH9102 (USB 1a86:55d4)",
                                  "  /dev/ttyUSB1: adapter FTDI FT232R (USB 0403:6001)"}));
    const PortChoice nothing = choosePort("/dev/ttyUSB0", false, none);
    EXPECT_EQ(nothing.outcome, O::noAdapter);
    EXPECT_TRUE(nothing.offerSimulated);
    EXPECT_EQ(nothing.otherPorts, Lines{"/dev/ttyS0"});
}

TEST(WindowsPorts, theSerialMapDescribedByItsDevices) {
    const std::vector<WinDeviceRecord> devices = {
        {"FTDIBUS\\VID_0403+PID_6001+A50285BIA\\0000", "COM7", "USB Serial Port (COM7)", "FTDI",
         "FTDIBUS", 0},
        // A CH340 without its driver: no port, problem 28.
        {"USB\\VID_1A86&PID_7523\\5&2C0E&0&2", "", "USB-SERIAL CH340", "", "", 28},
        // A mouse with a problem is no serial adapter.
        {"USB\\VID_046D&PID_C077\\6&1", "", "USB Input Device", "", "", 28},
        // A working FTDI's USB node, and a device with a problem whose port works anyway.
        {"USB\\VID_0403&PID_6001\\A50285BI", "", "USB Serial Converter", "FTDI", "FTDIBUS", 0},
        {"USB\\VID_10C4&PID_EA60\\0001", "COM3", "CP2102", "Silicon Labs", "silabser", 10},
    };
    const PortInventory inv = windowsPortInventory({"COM7", "COM10", "COM3", "COM7"}, devices);
    ASSERT_EQ(inv.ports.size(), 3u);
    EXPECT_EQ(inv.ports[0].name, "COM10");
    EXPECT_FALSE(inv.ports[0].usbAdapter);
    EXPECT_EQ(inv.ports[1].name, "COM3");
    EXPECT_EQ(inv.ports[2].name, "COM7");
    EXPECT_EQ(portEntryDescription(inv.ports[2]),
              "adapter FTDI FT232R (USB 0403:6001), producent FTDI, produkt USB Serial Port "
              "(COM7), nr seryjny A50285BIA, sterownik FTDIBUS");
    ASSERT_EQ(inv.withoutDriver.size(), 1u);
    EXPECT_EQ(unusableAdapterDescription(inv.withoutDriver[0]),
              "adapter WCH CH340 (USB 1a86:7523), USB-SERIAL CH340: brak sterownika (kod 28)");
    EXPECT_NE(inv.withoutDriver[0].remedy.find("wch-ic.com"), std::string::npos);

    EXPECT_EQ(usbInstanceSerial("USB\\VID_0403&PID_6001\\A50285BI"), "A50285BI");
    EXPECT_EQ(usbInstanceSerial("USB\\VID_1A86&PID_7523\\5&2C0E&0&2"), ""); // made up
}

PortFacts linuxFacts(const std::string& group, unsigned mode) {
    PortFacts f;
    f.system = PortSystem::gnuLinux;
    f.exists = true;
    f.ownerName = "root";
    f.groupName = group;
    f.groupIsRoot = group == "root";
    f.mode = mode;
    f.userName = "jan";
    f.mayOpen = false;
    return f;
}

TEST(PortFailureExplained, eachFailureSaysWhatToDo) {
    const PortFailure denied{"/dev/ttyUSB0", "Permission denied", PortFault::accessDenied, false};
    const PortFailure busy{"/dev/ttyUSB0", "Device or resource busy", PortFault::busy, false};
    const PortFailure missing{"/dev/ttyUSB0", "No such file or directory", PortFault::missing,
                              false};
    const PortFailure gone{"/dev/ttyUSB0", "Input/output error", PortFault::io, true};
    const PortFailure winDenied{"COM3", "Permission denied", PortFault::accessDenied, false};
    const PortFailure winMissing{"COM5", "No such file or directory", PortFault::missing, false};

    PortFacts outside = linuxFacts("dialout", 0660);
    PortFacts oldSession = outside;
    oldSession.userInGroup = true;
    PortFacts ownerOnly = linuxFacts("root", 0600);
    PortFacts held = outside;
    held.holders = {{812, "minicom", "minicom -D /dev/ttyUSB0", false}};
    PortFacts manager = outside;
    manager.holders = {{411, "ModemManager", "/usr/sbin/ModemManager", false}};
    PortFacts hidden = outside;
    hidden.holdersHidden = true;
    PortFacts unplugged = outside;
    unplugged.exists = false;
    unplugged.inventory = {{adapter("/dev/ttyUSB1", "10c4", "ea60")}, {}};
    PortFacts nothing = unplugged;
    nothing.inventory = {{builtIn("/dev/ttyS0")}, {}};
    PortFacts windows;
    windows.system = PortSystem::windows;
    windows.exists = false;
    windows.inventory = {{builtIn("COM1")},
                         {{"1a86", "7523", "USB-SERIAL CH340", "", "brak sterownika (kod 28)",
                           "Zainstaluj sterownik CH341SER: wch-ic.com"}}};

    struct Case {
        const char* what;
        PortFailure failure;
        PortFacts facts;
        Lines mustHave;
        Lines mustNotHave;
    };
    const std::vector<Case> cases = {
        {"outside the group",
         denied,
         outside,
         {"grupy dialout, a użytkownik jan do niej nie należy", "sudo usermod -aG dialout jan",
          "zaloguj ponownie", "crw-rw----"},
         {"sesja"}},
        {"member since this login",
         denied,
         oldSession,
         {"należy już do grupy dialout", "przed dodaniem", "Wyloguj się i zaloguj ponownie"},
         {"usermod"}},
        {"only the owner",
         denied,
         ownerOnly,
         {"crw-------", "tylko jego właściciel", "udev", "KERNEL==\"ttyUSB0\""},
         {"usermod"}},
        {"held by minicom",
         busy,
         held,
         {"używany przez inny program: minicom (PID 812: minicom -D /dev/ttyUSB0)", "Zamknij"},
         {"ModemManager", "fuser"}},
        {"held by ModemManager", busy, manager, {"systemctl stop ModemManager"}, {}},
        {"held where nobody can see", busy, hidden, {"sudo fuser -v /dev/ttyUSB0"}, {}},
        {"missing, one adapter elsewhere",
         missing,
         unplugged,
         {"Nie ma portu /dev/ttyUSB0", "--port /dev/ttyUSB1", "Silicon Labs CP210x"},
         {"sim"}},
        {"missing, no adapter",
         missing,
         nothing,
         {"Żaden adapter USB-serial", "Porty w systemie: /dev/ttyS0.", "(port sim)"},
         {}},
        {"unplugged during a session",
         gone,
         unplugged,
         {"zniknął w trakcie pracy", "Podłącz go ponownie"},
         {"Nie ma portu"}},
        {"Windows: another program on a name the map lacks",
         winDenied,
         windows,
         {"tylko jednemu programowi"},
         {"Nie ma portu"}},
        {"Windows: an adapter without its driver",
         winMissing,
         windows,
         {"Nie ma portu COM5", "WCH CH340 (USB 1a86:7523)", "brak sterownika (kod 28)",
          "wch-ic.com", "Porty w systemie: COM1."},
         {"Żaden adapter"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string all = text(explainPortFailure(c.failure, c.facts));
        for (const auto& piece : c.mustHave)
            EXPECT_NE(all.find(piece), std::string::npos) << piece << "\n" << all;
        for (const auto& piece : c.mustNotHave)
            EXPECT_EQ(all.find(piece), std::string::npos) << piece << "\n" << all;
    }
    // Callers relying on the first line keep it.
    const Lines explanation = explainPortFailure(denied, outside);
    const std::string message = portFailureMessage(denied, explanation);
    EXPECT_EQ(message.substr(0, message.find('\n')), "Błąd otwarcia portu: /dev/ttyUSB0");
    EXPECT_EQ(message, "Błąd otwarcia portu: /dev/ttyUSB0\n" +
                           text(explanation).substr(0, text(explanation).size() - 1));
}

TEST(PortFailureExplained, accessInThePortList) {
    PortFacts used = linuxFacts("dialout", 0660);
    used.mayOpen = true;
    used.holders = {{812, "minicom", "", false}};
    PortFacts old = linuxFacts("dialout", 0660);
    old.userInGroup = true;
    EXPECT_EQ(portAccessText(used), "tak, ale teraz używa go: minicom (PID 812)");
    EXPECT_EQ(portAccessText(old), "nie: użytkownik należy do grupy dialout, ale sesja jest "
                                   "starsza niż to członkostwo (wyloguj się i zaloguj ponownie)");
    EXPECT_EQ(portAccessText(linuxFacts("root", 0600)),
              "nie: port (crw-------, root:root) może otwierać tylko jego właściciel");
}

TEST(PortFailureExplained, theSessionKeepsWhatEndedIt) {
    SimSession s;
    s.port.setFaults({.openFails = true});
    EXPECT_EQ(s.run(LinkMode::identify), -1);
    ASSERT_TRUE(s.session.portFailure());
    EXPECT_EQ(s.session.portFailure()->port, "sim");
    EXPECT_EQ(s.session.portFailure()->fault, PortFault::missing);
    EXPECT_FALSE(s.session.portFailure()->whileOpen);

    s.port.setFaults({.vanishesAtByte = 2});
    EXPECT_EQ(s.run(LinkMode::identify), -1);
    ASSERT_TRUE(s.session.portFailure());
    EXPECT_EQ(s.session.portFailure()->fault, PortFault::gone);
    EXPECT_TRUE(s.session.portFailure()->whileOpen);

    SimSession fresh;
    EXPECT_EQ(fresh.run(LinkMode::identify), 1);
    EXPECT_FALSE(fresh.session.portFailure());
}

} // namespace
} // namespace qv::test
