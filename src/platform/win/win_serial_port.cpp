#include "platform/win/win_serial_port.hpp"

#include <windows.h>

#include <algorithm>
#include <chrono>

namespace qv {

namespace {

constexpr unsigned kBreak = 1u << 0;
constexpr unsigned kRx80Full = 1u << 1;
constexpr unsigned kOverrun = 1u << 2;

// A read ends when it has the bytes asked for or after ReadTotalTimeoutConstant, which each
// wait sets to its time left: readAvailable asks only for bytes already received, so it never
// waits, and a wait asks for one byte. A write ends after 100 ms a byte plus 1000 ms.
constexpr COMMTIMEOUTS kTimeouts{0, 0, 1, 100, 1000};

HANDLE h(void* p) {
    return static_cast<HANDLE>(p);
}

std::wstring widen(const std::string& text) {
    if (text.empty()) return {};
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(std::max(n, 0)), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::string narrow(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(std::max(n, 0)), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                            nullptr, nullptr);
    return out;
}

// Windows ends a read or write at its time-out with success and a short count; Wine reports
// the time-out as an error. Either way the count tells what was done.
bool timedOut(DWORD error) {
    return error == ERROR_TIMEOUT || error == ERROR_SEM_TIMEOUT;
}

// The line settings every port uses; false when the driver refuses them.
bool applyLineSettings(HANDLE port, DWORD baud) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(port, &dcb)) return false;
    dcb.BaudRate = baud;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    dcb.fAbortOnError = FALSE;
    return SetCommState(port, &dcb) != 0;
}

} // namespace

std::wstring winDevicePath(const std::string& portName) {
    const std::wstring wide = widen(portName);
    if (wide.starts_with(L"\\\\")) return wide;
    return L"\\\\.\\" + wide;
}

std::string winPortErrorText(unsigned long error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_BAD_UNIT:
        return "No such file or directory";
    case ERROR_ACCESS_DENIED: // also what a port that another program holds answers
        return "Permission denied";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: // Wine: a terminal another program holds in exclusive mode
    case ERROR_BUSY:
        return "Device or resource busy";
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_DEVICE_REMOVED:
        return "No such device";
    case ERROR_GEN_FAILURE:
    case ERROR_BAD_COMMAND:
    case ERROR_IO_DEVICE:
    case ERROR_CRC:
        return "Input/output error";
    case ERROR_INVALID_FUNCTION:
    case ERROR_NOT_SUPPORTED:
        return "Inappropriate ioctl for device";
    case ERROR_INVALID_PARAMETER:
        return "Invalid argument";
    case ERROR_OPERATION_ABORTED:
        return "Operation canceled";
    case ERROR_SEM_TIMEOUT:
    case WAIT_TIMEOUT:
        return "Connection timed out";
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return "Cannot allocate memory";
    case ERROR_TOO_MANY_OPEN_FILES:
        return "Too many open files";
    default:
        return "Input/output error (Windows error " + std::to_string(error) + ")";
    }
}

PortFault winPortFault(unsigned long error) {
    switch (error) {
    case ERROR_ACCESS_DENIED: // what a port that another program holds answers
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_BUSY:
        return PortFault::busy;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_BAD_UNIT:
        return PortFault::missing;
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_DEVICE_REMOVED:
        return PortFault::gone;
    default:
        return portFaultFromReason(winPortErrorText(error));
    }
}

std::vector<std::string> sortedPortNames(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

std::vector<std::string> listWinPortNames() {
    std::vector<std::string> names;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return names; // no serial ports at all
    DWORD count = 0, maxName = 0, maxData = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                         &maxName, &maxData, nullptr, nullptr) == ERROR_SUCCESS) {
        std::wstring valueName(maxName + 1, L'\0');
        std::vector<BYTE> data(maxData + sizeof(wchar_t));
        for (DWORD i = 0; i < count; ++i) {
            DWORD nameLen = maxName + 1;
            DWORD dataLen = maxData;
            DWORD type = 0;
            if (RegEnumValueW(key, i, valueName.data(), &nameLen, nullptr, &type, data.data(),
                              &dataLen) != ERROR_SUCCESS ||
                type != REG_SZ)
                continue;
            // The stored text need not end in a zero.
            std::wstring port(reinterpret_cast<const wchar_t*>(data.data()),
                              dataLen / sizeof(wchar_t));
            while (!port.empty() && port.back() == L'\0')
                port.pop_back();
            if (!port.empty()) names.push_back(narrow(port));
        }
    }
    RegCloseKey(key);
    return sortedPortNames(std::move(names));
}

WinSerialPort::~WinSerialPort() {
    close();
}

void WinSerialPort::open(const std::string& name) {
    if (handle_) throw PortError("port already open");
    HANDLE port = CreateFileW(winDevicePath(name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        throw PortError(winPortErrorText(error), winPortFault(error));
    }
    // The buffer sizes are a request the driver may round or ignore.
    SetupComm(port, kBufferSize, kBufferSize);
    COMMTIMEOUTS timeouts = kTimeouts;
    if (!applyLineSettings(port, kLinkBaudRate) || !SetCommTimeouts(port, &timeouts)) {
        const DWORD error = GetLastError();
        CloseHandle(port);
        throw PortError(winPortErrorText(error), winPortFault(error));
    }
    // Both lines off at once (the line settings already keep them off; a port without modem
    // lines refuses, which only matters when the caller drives RTS and setRts reports it then).
    EscapeCommFunction(port, CLRDTR);
    EscapeCommFunction(port, CLRRTS);
    handle_ = port;
    readEvent_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    writeEvent_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    waitEvent_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!readEvent_ || !writeEvent_ || !waitEvent_) {
        const DWORD error = GetLastError();
        close();
        throw PortError(winPortErrorText(error), winPortFault(error));
    }
    name_ = name;
    lineEvents_ = 0;
    lookaheadFull_ = false;
    readTimeout_ = kTimeouts.ReadTotalTimeoutConstant;
}

void WinSerialPort::close() noexcept {
    if (handle_) {
        CancelIoEx(h(handle_), nullptr); // ends a wait still running on another thread
        CloseHandle(h(handle_));
        handle_ = nullptr;
    }
    for (void** event : {&readEvent_, &writeEvent_, &waitEvent_}) {
        if (*event) CloseHandle(h(*event));
        *event = nullptr;
    }
}

bool WinSerialPort::isOpen() const {
    return handle_ != nullptr;
}

void WinSerialPort::requireOpen() const {
    if (!handle_) throw PortError("port not open");
}

void WinSerialPort::fail(unsigned long error) const {
    throw PortError(winPortErrorText(error), winPortFault(error));
}

void WinSerialPort::setBaudRate(int baud) {
    requireOpen();
    if (baud <= 0 || !applyLineSettings(h(handle_), static_cast<DWORD>(baud)))
        fail(baud <= 0 ? ERROR_INVALID_PARAMETER : GetLastError());
}

void WinSerialPort::purge(bool receive, bool transmit) {
    requireOpen();
    DWORD flags = 0;
    if (receive) {
        flags |= PURGE_RXCLEAR;
        lookaheadFull_ = false;
    }
    if (transmit) flags |= PURGE_TXCLEAR | PURGE_TXABORT;
    if (flags && !PurgeComm(h(handle_), flags)) fail(GetLastError());
}

void WinSerialPort::setRts(bool on) {
    requireOpen();
    if (!EscapeCommFunction(h(handle_), on ? SETRTS : CLRRTS)) fail(GetLastError());
}

std::size_t WinSerialPort::write(std::span<const std::uint8_t> bytes) {
    requireOpen();
    if (bytes.empty()) return 0;
    const DWORD count = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    OVERLAPPED ov{};
    ov.hEvent = h(writeEvent_);
    ResetEvent(ov.hEvent);
    DWORD written = 0;
    if (!WriteFile(h(handle_), bytes.data(), count, nullptr, &ov) &&
        GetLastError() != ERROR_IO_PENDING)
        fail(GetLastError());
    // Ends when the bytes are handed over or the write time-out passes (a short count then).
    if (!GetOverlappedResult(h(handle_), &ov, &written, TRUE) && !timedOut(GetLastError()))
        fail(GetLastError());
    return written;
}

unsigned long WinSerialPort::queued() {
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(h(handle_), &errors, &status)) fail(GetLastError());
    unsigned seen = 0;
    if (errors & CE_BREAK) seen |= kBreak;
    if (errors & (CE_RXOVER | CE_OVERRUN)) seen |= kOverrun;
    if (status.cbInQue >= kBufferSize / 10 * 8) seen |= kRx80Full;
    if (seen) lineEvents_.fetch_or(seen);
    return status.cbInQue;
}

LineEvents WinSerialPort::takeAllLineEvents() noexcept {
    const unsigned seen = lineEvents_.exchange(0);
    LineEvents e;
    e.breakReceived = seen & kBreak;
    e.receiveBuffer80Full = seen & kRx80Full;
    e.receiveOverrun = seen & kOverrun;
    return e;
}

std::size_t WinSerialPort::readAvailable(std::span<std::uint8_t> out) {
    requireOpen();
    if (out.empty()) return 0;
    std::size_t taken = 0;
    if (lookaheadFull_) {
        out[0] = lookahead_;
        lookaheadFull_ = false;
        out = out.subspan(1);
        taken = 1;
    }
    const DWORD waiting = out.empty() ? 0 : queued();
    if (waiting == 0) return taken;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>({out.size(), waiting, 1u << 30}));
    OVERLAPPED ov{};
    ov.hEvent = h(readEvent_);
    ResetEvent(ov.hEvent);
    DWORD got = 0;
    if (!ReadFile(h(handle_), out.data(), want, nullptr, &ov) && GetLastError() != ERROR_IO_PENDING)
        fail(GetLastError());
    // The driver holds at least the bytes asked for, so the read ends at once.
    if (!GetOverlappedResult(h(handle_), &ov, &got, TRUE)) fail(GetLastError());
    return taken + got;
}

bool WinSerialPort::waitReadable(Clock::Duration timeout) {
    using namespace std::chrono;
    requireOpen();
    if (lookaheadFull_) return true;
    const auto deadline = steady_clock::now() + ceil<milliseconds>(timeout);
    for (;;) {
        // A read of one byte that ends as soon as a byte is there (at once when one is
        // waiting), or after the time left: the byte is kept for readAvailable. (Waiting for
        // EV_RXCHAR instead costs Wine's polling thread up to 10 ms a byte, which a lock-step
        // transfer of 5120 bytes pays in full.)
        const auto left = ceil<milliseconds>(deadline - steady_clock::now()).count();
        const DWORD wait = static_cast<DWORD>(std::clamp<long long>(left, 1, 1 << 30));
        if (wait != readTimeout_) {
            COMMTIMEOUTS timeouts = kTimeouts;
            timeouts.ReadTotalTimeoutConstant = wait;
            if (!SetCommTimeouts(h(handle_), &timeouts)) fail(GetLastError());
            readTimeout_ = wait;
        }
        OVERLAPPED ov{};
        ov.hEvent = h(waitEvent_);
        ResetEvent(ov.hEvent);
        DWORD got = 0;
        if (!ReadFile(h(handle_), &lookahead_, 1, nullptr, &ov) &&
            GetLastError() != ERROR_IO_PENDING)
            fail(GetLastError());
        if (!GetOverlappedResult(h(handle_), &ov, &got, TRUE) && !timedOut(GetLastError()))
            fail(GetLastError());
        if (got == 1) {
            lookaheadFull_ = true;
            return true;
        }
        if (left <= 1) return false;
    }
}

} // namespace qv
