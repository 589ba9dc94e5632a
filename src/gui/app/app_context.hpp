#pragma once
// What every window of the program shares: the one configuration document (settings, image,
// stored copy, log, phone base buffer), the clock, the desktop services, the language table,
// and the device-link and password windows that several commands use.
#include "common/clock.hpp"
#include "config/config_document.hpp"
#include "gui/app/ui_services.hpp"
#include "tools/language_table.hpp"

#include <QObject>
#include <QString>

#include <memory>
#include <string>

namespace qv {
class PortCatalog;
}

namespace qv::gui {

class LinkWindow;
class PasswordForm;

class AppContext : public QObject {
    Q_OBJECT
  public:
    AppContext(std::string exeDir, UiServices& ui);
    ~AppContext() override;

    SystemClock clock;
    ConfigDocument doc;
    UiServices& ui;
    LanguageTable language;
    // The main window's "Weryfikuj transmisję", read by every block write.
    bool verifyTransfer = true;

    // Created by the main window with the other windows; live for the whole run.
    LinkWindow* link = nullptr;
    PasswordForm* password = nullptr;

    // The machine's serial ports and their adapters: the system's, made on first use, or the
    // one a test put in its place (before the windows use it).
    PortCatalog& portCatalog();
    void setPortCatalog(std::unique_ptr<PortCatalog> catalog);

    Settings& settings() { return doc.settings(); }
    QString portName() const { return QString::fromStdString(doc.programSettings().portName); }
    bool reverseReset() const { return doc.programSettings().reverseReset; }

    // The password confirmation before read, program, counters, history and phone base
    // sessions: with an empty password nothing is asked; otherwise the dialog edits it and its
    // text, also when emptied, becomes the window's password. Returns the password to send.
    std::string confirmPassword(QWidget* parent);

    // Empties the application log (a double click on it).
    void clearLog();

  Q_SIGNALS:
    void logLineAdded(const QString& line);
    void logCleared();
    // The settings were replaced outside the editing widgets (defaults, a file, a read, the
    // password dialog): every view shows them again.
    void settingsReplaced();
    // A setting was edited in one view: the views that show the same setting follow it.
    void settingsEdited();

  private:
    std::unique_ptr<PortCatalog> portCatalog_;
};

} // namespace qv::gui
