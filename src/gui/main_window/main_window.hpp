#pragma once
// The main window: the whole configuration in seven tabs, the tool bar from which every
// operation starts, and the status bar with the clock, the port and the device family.
#include <QKeySequence>
#include <QMainWindow>

#include <memory>
#include <utility>
#include <vector>

class QTabWidget;
class QToolButton;

namespace qv {
class ConfigDocument;
struct ArchiveEntry;
} // namespace qv

namespace qv::gui {

class AppContext;
class SettingsView;
class LinkWindow;
class PasswordForm;
class MonitorWindow;
class HistoryWindow;
class FirmwareWindow;
class CountersWindow;
class PhoneBaseWindow;
class AddPhonesForm;
class SmsDescriptionForm;
class MainStatusBar;
class MemoForm;
class SmsWindow;
class SettingsWindow;
class PortAtStart;
class AppLogWindow;
class CompareWindow;
class ArchiveWindow;
class WriteReviewDialog;
struct ArchiveRequest;
class UndoHistory;

class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    // Client width and the window height each tab is shown with (0: keep the current height);
    // more where the fonts, the scale or the language need it.
    static constexpr int kWidth = 808;
    static constexpr int kStartHeight = 535;
    static constexpr int kTabHeights[] = {480, 530, 550, 400, 520, 480, 0, 0};

    explicit MainWindow(AppContext& ctx, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The start-up sequence: language, tables, QVPROG2.INI, defaults, caption.
    void startUp();
    // When the configured port is not there: the only adapter for this run, a choice among
    // several, or the simulated module offered (see PortAtStart). Returns at once; the
    // port is in force when PortAtStart::finished comes.
    PortAtStart* choosePortAtStart();
    // Opens a configuration file as "&Otwórz" does after its dialog (the file given on the
    // command line).
    void openPath(const QString& path);

    // Every view shows the settings again.
    void refreshAll();
    void applyLanguage();

    // The commands of the tool bar and the tabs.
    void newConfigClick();
    void openFileButtonClick();
    void saveFileButtonClick();
    void settingsButtonClick();
    void readButtonClick();
    void writeButtonClick();
    void clearPassButtonClick();
    void firmwareButtonClick();
    void monitorButtonClick();
    // "Odtwórz zapis monitora...": a .qvmon recording in the monitor window, without a port.
    void monitorReplayClick();
    void historyButtonClick();
    void smsListingClick();
    // "Wyślij SMS konfiguracyjne": the change sent through a GSM modem.
    void smsSendClick();
    // "Porównaj": the window's configuration against a file, or against the module's.
    void compareWithFileClick();
    void compareWithModuleClick();
    void reportPdfClick();
    void reportHtmlClick();
    void reportPrintClick();
    void langButtonClick();
    void countersButtonClick();
    void phoneBaseButtonClick();
    void addPhonesButtonClick();
    void smsDescriptionButtonClick();
    void showLogWindow();
    // "Archiwum modułów" (Dodatki, Ctrl+Shift+A), and an entry opened from it: the window's
    // configuration, unsaved, compared for changes with the entry.
    void archiveButtonClick();
    void openArchiveEntry(const qv::ArchiveEntry& entry);

    LinkWindow* linkWindow() const { return link_; }
    MemoForm* memoForm() const { return memo_; }
    SmsWindow* smsWindow() const { return sms_; } // none before it was first opened
    HistoryWindow* historyWindow() const { return history_; }
    CompareWindow* compareWindow() const { return compare_; }
    ArchiveWindow* archiveWindow() const { return archive_; }
    QTabWidget* pageControl() const { return pages_; }
    UndoHistory* undoHistory() const { return undo_; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildToolBar();
    void buildPages();
    void connectTabButton(const char* name, void (MainWindow::*command)());
    void tabShown(int index);
    // Sizes the window for the tab shown (see kTabHeights).
    void fitWindow();
    void renewCaption();
    std::unique_ptr<ConfigDocument> scratchDocument() const;
    void showComparison(const ConfigDocument& other, const QString& heading, const QString& source);
    // What a configuration session keeps in the archive.
    ArchiveRequest archiveRequest() const;
    // Before a write: what it will change in the module last seen on the port. False when the
    // user cancelled; expectedSerial is that module's (empty when none is known).
    bool reviewWrite(std::string& expectedSerial);
    QToolButton* addToolButton(const char* name, const QString& caption, const QString& hint,
                               QIcon icon, void (MainWindow::*command)(),
                               const QKeySequence& keys = {});

    AppContext& ctx_;
    QTabWidget* pages_ = nullptr;
    std::vector<SettingsView*> views_;
    MainStatusBar* statusBar_ = nullptr;
    // The tool-bar commands' keys, set again whenever their captions change.
    std::vector<std::pair<QToolButton*, QKeySequence>> commandKeys_;

    PhoneBaseWindow* phoneBase_ = nullptr;
    SettingsWindow* settingsWindow_ = nullptr;
    LinkWindow* link_ = nullptr;
    MonitorWindow* monitor_ = nullptr;
    HistoryWindow* history_ = nullptr;
    PasswordForm* password_ = nullptr;
    FirmwareWindow* firmware_ = nullptr;
    MemoForm* memo_ = nullptr;
    SmsWindow* sms_ = nullptr;
    SmsDescriptionForm* smsDescription_ = nullptr;
    AddPhonesForm* addPhones_ = nullptr;
    CountersWindow* counters_ = nullptr;
    AppLogWindow* logWindow_ = nullptr;
    CompareWindow* compare_ = nullptr;
    ArchiveWindow* archive_ = nullptr;
    WriteReviewDialog* review_ = nullptr;
    UndoHistory* undo_ = nullptr;
};

} // namespace qv::gui
