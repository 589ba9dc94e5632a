#pragma once
// The firmware update through the module's bootloader: choose a file (its name tells version,
// minimum program version and target platform), ask the module who it is, upload the file.
// The chosen file stays in the link window for the rest of the run.
#include "link/link_types.hpp"

#include <QDialog>

class QPlainTextEdit;
class QToolButton;

namespace qv::gui {

class AppContext;

class FirmwareWindow : public QDialog {
    Q_OBJECT
  public:
    explicit FirmwareWindow(AppContext& ctx, QWidget* parent = nullptr);

    // "&Otwórz plik".
    void chooseFile();
    // "&Spytaj o wersję" and "&Wgraj firmware": one link session, then the window closes.
    void askVersion();
    void uploadFirmware();

  protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void showChosenFile(const QString& path);
    void runAndClose(LinkMode mode);

    AppContext& ctx_;
    QToolButton* sendFirmwareButton_;
    QPlainTextEdit* log_;
};

} // namespace qv::gui
