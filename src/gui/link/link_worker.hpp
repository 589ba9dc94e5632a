#pragma once
// Runs one device session on its own thread: creates the port there, runs the core session and
// reports the observer's calls through queued signals. The gauge is kept in an atomic that the
// window samples on a timer, so any number of bytes costs the window nothing.
#include "config/config_image.hpp"
#include "link/counters.hpp"
#include "link/link_types.hpp"

#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

namespace qv::gui {

// Where a configuration read or written is kept, and what the entry says besides the session.
struct ArchiveRequest {
    std::string path;
    std::string userName;
    std::string fileName; // the window's file, when it had one
};

// What a session sends besides the request.
struct LinkInputs {
    std::optional<ConfigImage> image;                   // writeConfig
    std::optional<std::vector<std::uint8_t>> phoneBase; // writePhoneBase
    std::string firmwareFile;                           // uploadFirmware (full path)
    // readConfig, writeConfig: a successful session's configuration goes into the archive, on
    // the worker's thread, before the session is reported finished.
    std::optional<ArchiveRequest> archive;
};

// What a session hands back. Data fields hold the module's bytes only after a successful read.
struct LinkResults {
    int sessionResult = -1;
    DeviceIdentity identity;
    StatusBytes status;
    std::optional<ConfigImage> configImage;
    std::optional<std::vector<std::uint8_t>> eventBuffer;
    std::optional<std::vector<std::uint8_t>> phoneBase;
    std::optional<CounterValues> counters;
    std::size_t firmwareSize = 0;
    std::int64_t archivedId = 0; // the archive entry kept (0: none)
    // The firmware file the session was given could not be read: it is no longer chosen.
    bool firmwareFileUnreadable = false;
};

class LinkWorker : public QObject {
    Q_OBJECT
  public:
    std::atomic<int> gaugeMax{100};
    std::atomic<int> gaugeValue{0};
    // A wait for the module that has lasted a while: the time waited and its limit (0 when
    // the session is not waiting).
    std::atomic<int> waitedMs{0};
    std::atomic<int> waitLimitMs{0};

  public Q_SLOTS:
    void run(const qv::SessionRequest& request, const qv::gui::LinkInputs& inputs);

  Q_SIGNALS:
    void logLine(const QString& text);
    void messageBox(const QString& text);
    // The session's round trip shows a slow adapter: the hint's lines, and whether the fix
    // can be started from the window (an elevated step) for this port.
    void adapterHint(const QStringList& lines, bool offersElevatedFix, const QString& port);
    void finished(const qv::gui::LinkResults& results);
};

} // namespace qv::gui

Q_DECLARE_METATYPE(qv::SessionRequest)
Q_DECLARE_METATYPE(qv::gui::LinkInputs)
Q_DECLARE_METATYPE(qv::gui::LinkResults)
