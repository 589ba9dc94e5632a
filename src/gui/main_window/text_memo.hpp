#pragma once
// The text windows: a memo (Memo1) fills the whole client area, in a fixed-pitch font with
// both scroll bars and no line wrapping; the window is centred on the screen when shown.
#include <QDialog>

class QPlainTextEdit;

namespace qv::gui {

class TextWindow : public QDialog {
    Q_OBJECT
  public:
    TextWindow(const QString& objectName, const QString& caption, QWidget* parent);

  protected:
    QPlainTextEdit* memo() const { return memo_; }

  private:
    QPlainTextEdit* memo_ = nullptr;
};

} // namespace qv::gui
