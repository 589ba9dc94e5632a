#pragma once
// The fixed reference of the control SMS commands.
#include <QDialog>

namespace qv::gui {

class AppContext;

class SmsDescriptionForm : public QDialog {
    Q_OBJECT
  public:
    explicit SmsDescriptionForm(AppContext& ctx, QWidget* parent = nullptr);

  private:
    AppContext& ctx_;
};

} // namespace qv::gui
