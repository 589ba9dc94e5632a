#pragma once
// The 56 additional control phone numbers.
#include <QDialog>

namespace qv::gui {

class AppContext;

class AddPhonesForm : public QDialog {
    Q_OBJECT
  public:
    explicit AddPhonesForm(AppContext& ctx, QWidget* parent = nullptr);
    // Shows the settings' numbers, runs modally and takes the edits back when it closes.
    void editPhones();

  private:
    AppContext& ctx_;
};

} // namespace qv::gui
