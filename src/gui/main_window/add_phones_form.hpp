#pragma once
// The 56 additional control phone numbers: edits AddPhone1..AddPhone56 (10 characters each)
// with their number labels AddPhoneLabel1..56, in four columns of 14. "Wyczysc wszystkie"
// (Button1) empties them; "Zapamiętaj i zamknij" (Button2) is the only way to close, and
// whatever the edits hold then becomes the configuration.
#include <QDialog>

#include <array>

class QLineEdit;

namespace qv::gui {

class AppContext;

class AddPhonesForm : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kPhones = 56;
    static constexpr int kPerColumn = 14;

    explicit AddPhonesForm(AppContext& ctx, QWidget* parent = nullptr);
    // Shows the settings' numbers, runs modally and takes the edits back when it closes.
    void editPhones();

  public Q_SLOTS:
    // Escape and the frame do not close the window: only "Zapamiętaj i zamknij" does.
    void reject() override {}

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void clearAll();

    AppContext& ctx_;
    std::array<QLineEdit*, kPhones> edits_{};
};

} // namespace qv::gui
