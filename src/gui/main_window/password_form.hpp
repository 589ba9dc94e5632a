#pragma once
// The password confirmation dialog: one edit of at most 4 characters shown in clear and an
// "OK" button; Enter in the edit confirms too. There is no cancel.
#include <QDialog>

class QLineEdit;
class QPushButton;

namespace qv::gui {

class PasswordForm : public QDialog {
    Q_OBJECT
  public:
    explicit PasswordForm(QWidget* parent = nullptr);
    // Shows the dialog modally with the text and returns what the edit holds when it closes.
    // It stands in the middle of the main window's screen.
    QString confirm(const QString& text);

  protected:
    void reject() override {} // Escape and the window manager cannot close it without OK

  private:
    QLineEdit* edit_;
    QPushButton* ok_;
};

} // namespace qv::gui
