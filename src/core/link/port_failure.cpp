#include "link/port_failure.hpp"

#include <algorithm>
#include <array>
#include <utility>

namespace qv {

PortFault portFaultFromReason(std::string_view reason) {
    static constexpr std::array<std::pair<std::string_view, PortFault>, 10> kWords{{
        {"No such file or directory", PortFault::missing},
        {"No such device or address", PortFault::missing},
        {"No such device", PortFault::gone},
        {"Permission denied", PortFault::accessDenied},
        {"Operation not permitted", PortFault::accessDenied},
        {"Device or resource busy", PortFault::busy},
        // Qt Serial Port: another program holds the port's lock file.
        {"Permission error while locking the device", PortFault::busy},
        {"Input/output error", PortFault::io},
        {"Broken pipe", PortFault::gone},
        {"Bad file descriptor", PortFault::gone},
    }};
    for (const auto& [words, fault] : kWords)
        if (reason.starts_with(words)) return fault;
    return PortFault::other;
}

PortFailure portFailureFrom(const std::string& port, const PortError& error, bool whileOpen) {
    return {port, error.what(), error.fault(), whileOpen};
}

std::string modeText(unsigned mode) {
    std::string text = "c";
    const char* letters = "rwx";
    for (int bit = 8; bit >= 0; --bit)
        text.push_back((mode >> bit) & 1u ? letters[(8 - bit) % 3] : '-');
    return text;
}

namespace {

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const auto& n : names)
        text += (text.empty() ? "" : ", ") + n;
    return text;
}

std::string holderText(const PortHolder& h) {
    if (h.self) return "ten program (PID " + std::to_string(h.pid) + ", inne jego okno)";
    std::string text =
        (h.program.empty() ? std::string("program") : h.program) + " (PID " + std::to_string(h.pid);
    if (!h.commandLine.empty() && h.commandLine != h.program) text += ": " + h.commandLine;
    return text + ")";
}

bool groupMayReadWrite(const PortFacts& f) {
    return (f.mode & 060u) == 060u;
}

// The ports and adapters there are, for a port that is not there.
void listWhatThereIs(const PortFacts& f, std::vector<std::string>& lines) {
    const auto adapters = f.inventory.adapters();
    if (adapters.size() == 1) {
        lines.push_back("Podłączony jest adapter " + adapters.front().name + " (" +
                        portEntryDescription(adapters.front()) +
                        "): wybierz ten port w ustawieniach programu (w wierszu poleceń: "
                        "--port " +
                        adapters.front().name + ").");
    } else if (adapters.size() > 1) {
        lines.push_back("Podłączone adaptery - wybierz jeden z nich w ustawieniach programu "
                        "(w wierszu poleceń: --port NAZWA):");
        for (const auto& a : adapters)
            lines.push_back("  " + a.name + ": " + portEntryDescription(a));
    }
    for (const auto& a : f.inventory.withoutDriver) {
        lines.push_back("Jest podłączony " + unusableAdapterDescription(a) + ".");
        if (!a.remedy.empty()) lines.push_back(a.remedy);
    }
    if (!adapters.empty()) return;
    std::vector<std::string> names;
    for (const auto& p : f.inventory.ports)
        names.push_back(p.name);
    if (f.inventory.withoutDriver.empty())
        lines.push_back("Żaden adapter USB-serial nie jest podłączony.");
    lines.push_back(names.empty() ? "W systemie nie ma portów szeregowych."
                                  : "Porty w systemie: " + joined(names) + ".");
    lines.push_back("Podłącz adapter modułu albo wypróbuj program na module symulowanym "
                    "(port sim).");
}

void explainAccess(const PortFailure& p, const PortFacts& f, std::vector<std::string>& lines) {
    const std::string user = f.userName.empty() ? std::string("bieżący użytkownik") : f.userName;
    if (f.groupName.empty()) {
        lines.push_back("System nie pozwala otworzyć portu " + p.port + " (" + p.reason + ").");
        lines.push_back("Poproś administratora o prawo do odczytu i zapisu tego portu.");
        return;
    }
    const std::string owned =
        " (" + modeText(f.mode) + ", właściciel " + f.ownerName + ", grupa " + f.groupName + ")";
    if (f.groupIsRoot || !groupMayReadWrite(f)) {
        lines.push_back("Port " + p.port + owned +
                        " może otwierać tylko jego właściciel: żadna grupa nie ma do niego "
                        "prawa zapisu.");
        lines.push_back("Poproś administratora o dostęp, np. regułą udev nadającą portowi grupę "
                        "dialout i prawa 0660 (KERNEL==\"" +
                        p.port.substr(p.port.find_last_of('/') + 1) +
                        "\", GROUP=\"dialout\", MODE=\"0660\").");
        return;
    }
    if (f.sessionHasGroup) {
        lines.push_back("Użytkownik " + user + " ma prawa grupy " + f.groupName + " do portu " +
                        p.port + owned + ", a system mimo to odmówił dostępu (" + p.reason + ").");
        lines.push_back("Sprawdź zabezpieczenia systemu (np. AppArmor, SELinux, uprawnienia "
                        "pakietu snap lub flatpak).");
        return;
    }
    if (f.userInGroup) {
        lines.push_back("Użytkownik " + user + " należy już do grupy " + f.groupName +
                        ", do której należy port " + p.port + owned +
                        ", ale ta sesja zaczęła się przed dodaniem go do grupy.");
        lines.push_back("Wyloguj się i zaloguj ponownie (albo uruchom komputer ponownie); "
                        "polecenie id -nG pokaże wtedy grupę " +
                        f.groupName + ".");
        return;
    }
    lines.push_back("Port " + p.port + owned + " mogą otwierać członkowie grupy " + f.groupName +
                    ", a użytkownik " + user + " do niej nie należy.");
    lines.push_back("Dodaj go do grupy poleceniem: sudo usermod -aG " + f.groupName + " " +
                    (f.userName.empty() ? std::string("$USER") : f.userName));
    lines.push_back("Potem wyloguj się i zaloguj ponownie: nowa grupa działa od następnego "
                    "logowania.");
}

void explainBusy(const PortFailure& p, const PortFacts& f, std::vector<std::string>& lines) {
    if (!f.holders.empty()) {
        std::vector<std::string> names;
        for (const auto& h : f.holders)
            names.push_back(holderText(h));
        lines.push_back("Port " + p.port + " jest używany przez inny program: " + joined(names) +
                        ".");
        const bool manager = std::any_of(f.holders.begin(), f.holders.end(),
                                         [](const auto& h) { return h.program == "ModemManager"; });
        if (manager)
            lines.push_back("ModemManager sprawdza nowo podłączone porty: poczekaj kilka sekund "
                            "albo wyłącz go poleceniem: sudo systemctl stop ModemManager");
        lines.push_back("Zamknij ten program i spróbuj ponownie.");
        return;
    }
    if (f.system == PortSystem::windows) {
        lines.push_back("Port " + p.port +
                        " jest używany przez inny program (Windows pozwala otworzyć port "
                        "tylko jednemu programowi naraz).");
        lines.push_back("Zamknij program, który go używa (terminal, inny program "
                        "konfiguracyjny), i spróbuj ponownie.");
        return;
    }
    lines.push_back("Port " + p.port + " jest używany przez inny program" +
                    (f.holdersHidden ? " (system nie pozwala sprawdzić którego; pokaże go "
                                       "polecenie: sudo fuser -v " +
                                           p.port + ")"
                                     : "") +
                    ".");
    lines.push_back("Zamknij ten program i spróbuj ponownie.");
}

} // namespace

std::vector<std::string> explainPortFailure(const PortFailure& p, const PortFacts& f) {
    std::vector<std::string> lines;
    const bool absent = f.exists == false;
    PortFault fault = p.fault;
    // Windows answers a port that another program holds with "access denied".
    if (fault == PortFault::accessDenied && f.system == PortSystem::windows)
        fault = PortFault::busy;
    // Once the port is open no other program can take it: Windows answers an adapter pulled
    // out with "access denied" too.
    if (p.whileOpen && (fault == PortFault::busy || fault == PortFault::accessDenied))
        fault = PortFault::io;
    if (p.whileOpen && (absent || fault == PortFault::gone || fault == PortFault::missing)) {
        lines.push_back("Port " + p.port +
                        " zniknął w trakcie pracy: adapter został odłączony lub wyłączony.");
        lines.push_back("Podłącz go ponownie i powtórz operację.");
        if (absent) listWhatThereIs(f, lines);
        return lines;
    }
    // A port that answered "busy" or "denied" is there, whatever a list says (a name the
    // system opens without listing it).
    const bool answered = fault == PortFault::busy || fault == PortFault::accessDenied;
    if ((absent && !answered) || fault == PortFault::missing || fault == PortFault::gone) {
        lines.push_back("Nie ma portu " + p.port + " (" + p.reason + ").");
        listWhatThereIs(f, lines);
        return lines;
    }
    switch (fault) {
    case PortFault::accessDenied:
        explainAccess(p, f, lines);
        return lines;
    case PortFault::busy:
        explainBusy(p, f, lines);
        return lines;
    case PortFault::io:
        lines.push_back("Błąd wejścia/wyjścia portu " + p.port + " (" + p.reason + ").");
        lines.push_back("Sprawdź adapter i jego przewód, odłącz go i podłącz ponownie, potem "
                        "powtórz operację.");
        return lines;
    default:
        lines.push_back("System zgłosił błąd portu " + p.port + ": " + p.reason + ".");
        lines.push_back("Sprawdź, czy to port modułu, i spróbuj ponownie.");
        return lines;
    }
}

std::string portFailureMessage(const PortFailure& failure,
                               const std::vector<std::string>& explanation) {
    std::string text = kPortErrorPrefix + failure.port;
    for (const auto& line : explanation)
        text += "\n" + line;
    return text;
}

std::string portAccessText(const PortFacts& f) {
    if (f.exists == false) return "nie: port zniknął";
    std::vector<std::string> names;
    for (const auto& h : f.holders)
        names.push_back(holderText(h));
    const std::string used = names.empty() ? "" : ", ale teraz używa go: " + joined(names);
    if (f.system == PortSystem::windows)
        return "tak, jeśli nie używa go inny program (Windows nie pokazuje którego)";
    if (!f.mayOpen) return "nie sprawdzono" + used;
    if (*f.mayOpen) return "tak" + used;
    if (f.groupName.empty()) return "nie: system odmawia dostępu";
    if (f.groupIsRoot || !groupMayReadWrite(f))
        return "nie: port (" + modeText(f.mode) + ", " + f.ownerName + ":" + f.groupName +
               ") może otwierać tylko jego właściciel";
    if (f.userInGroup && !f.sessionHasGroup)
        return "nie: użytkownik należy do grupy " + f.groupName +
               ", ale sesja jest starsza niż to członkostwo (wyloguj się i zaloguj ponownie)";
    if (!f.userInGroup)
        return "nie: port należy do grupy " + f.groupName + ", a użytkownik " + f.userName +
               " do niej nie (sudo usermod -aG " + f.groupName + " " + f.userName +
               ", potem ponowne logowanie)";
    return "nie: system odmawia dostępu mimo uprawnień grupy " + f.groupName;
}

} // namespace qv
