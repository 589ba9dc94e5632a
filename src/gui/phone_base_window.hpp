#pragma once
// The base of 4000 control phone numbers.
#include <QDialog>

namespace qv::gui {

class AppContext;

class PhoneBaseWindow : public QDialog {
    Q_OBJECT
  public:
    explicit PhoneBaseWindow(AppContext& ctx, QWidget* parent = nullptr);

  private:
    AppContext& ctx_;
};

} // namespace qv::gui
