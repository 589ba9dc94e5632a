#pragma once
// The reset history: one line per reset cause the monitor received while the program runs
// (time, cause, code). The list can be edited and scrolled; nothing empties it.
#include <QDialog>

class QPlainTextEdit;

namespace qv::gui {

class ResetsWindow : public QDialog {
    Q_OBJECT
  public:
    explicit ResetsWindow(QWidget* parent = nullptr);
    void appendLine(const QString& line);

  private:
    QPlainTextEdit* list_;
};

} // namespace qv::gui
