#pragma once
// The port settings: the list of serial ports with what the system says of the adapter behind
// each (following adapters plugged in and pulled out while the window is open), the adapters
// seen without a driver with what to do about them, the reverse reset, and saving both to
// QVPROG2.INI. Choosing a port puts it in force at once; closing without saving brings the
// earlier port back.
#include "link/port_catalog.hpp"

#include <QDialog>
#include <QFutureWatcher>
#include <QTimer>

#include <memory>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QToolButton;

namespace qv::gui {

class AppContext;

class SettingsWindow : public QDialog {
    Q_OBJECT
  public:
    // Where the system gives no notifications of its ports, the list is looked at this often.
    static constexpr int kRefreshMs = 1000;

    explicit SettingsWindow(AppContext& ctx, QWidget* parent = nullptr);
    ~SettingsWindow() override;

    // Remembers the current port and shows the window modally.
    void editSettings();

  protected:
    void reject() override; // Escape closes as "Zamknij" does

  private:
    void startFollowing();
    void stopFollowing();
    void refreshLists();
    void showPorts(const PortInventory& inventory);
    void showDetails();
    void choosePort(const QString& name);
    void save();
    void closeWithoutSaving();

    AppContext& ctx_;
    std::string rememberedPort_;
    PortInventory inventory_;
    QComboBox* ports_;
    QComboBox* hiddenPorts_;
    QLabel* details_;
    QLabel* withoutDriver_;
    QCheckBox* reverseReset_;
    QToolButton* saveButton_;
    QToolButton* closeButton_;
    QTimer refresh_;
    QFutureWatcher<PortInventory> listing_;
    bool listingPending_ = false; // a reading runs or its result is not yet shown
    bool listingStale_ = false;   // a change was shown meanwhile
    std::unique_ptr<PortWatch> watch_;
};

} // namespace qv::gui
