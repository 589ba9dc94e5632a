#pragma once
// The port settings: the list of serial ports (refreshed every second, so an adapter plugged in
// shows up at once), the reverse reset, and saving both to QVPROG2.INI. Choosing a port puts it
// in force at once; closing without saving brings the earlier port back.
#include <QDialog>
#include <QFutureWatcher>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QToolButton;

namespace qv::gui {

class AppContext;

class SettingsWindow : public QDialog {
    Q_OBJECT
  public:
    using PortLister = std::function<std::vector<std::string>()>;
    static constexpr int kRefreshMs = 1000;

    explicit SettingsWindow(AppContext& ctx, QWidget* parent = nullptr);
    ~SettingsWindow() override;

    // Remembers the current port and shows the window modally.
    void editSettings();
    // Where the port names come from (the system's serial ports; tests put their own list).
    void setPortLister(PortLister lister) { lister_ = std::move(lister); }

  protected:
    void reject() override; // Escape closes as "Zamknij" does

  private:
    void refreshLists();
    void showPorts(const std::vector<std::string>& names);
    void choosePort(const QString& name);
    void save();
    void closeWithoutSaving();

    AppContext& ctx_;
    PortLister lister_;
    std::string rememberedPort_;
    QComboBox* ports_;
    QComboBox* hiddenPorts_;
    QCheckBox* reverseReset_;
    QToolButton* saveButton_;
    QToolButton* closeButton_;
    QTimer refresh_;
    QFutureWatcher<std::vector<std::string>> listing_;
};

} // namespace qv::gui
