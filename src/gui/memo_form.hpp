#pragma once
// A plain text window (the configuration as SMS commands is listed in it).
#include <QDialog>

namespace qv::gui {

class AppContext;

class MemoForm : public QDialog {
    Q_OBJECT
  public:
    explicit MemoForm(AppContext& ctx, QWidget* parent = nullptr);
    void clearLines();
    void setCaption(const QString& caption);
    void addLine(const QString& line);
    QStringList lines() const;

  private:
    AppContext& ctx_;
};

} // namespace qv::gui
