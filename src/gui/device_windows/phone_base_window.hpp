#pragma once
// The base of 4000 control phone numbers: a grid of numbers and descriptions, a live search,
// the welcome and goodbye texts, the phone base file, and the image read from and written to
// the module. Opening the window shows the image the program holds, unless numbers or texts
// were typed (or loaded from a file) since the grid last showed it or was written into it:
// those stay, for the whole run, until they are written or replaced.
#include "tools/phone_base.hpp"

#include <QDialog>

#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace qv::gui {

class AppContext;
class PhoneBaseModel;

class PhoneBaseWindow : public QDialog {
    Q_OBJECT
  public:
    explicit PhoneBaseWindow(AppContext& ctx, QWidget* parent = nullptr);
    ~PhoneBaseWindow() override;

    // Shows the image held in the program in the grid (numbers and texts; descriptions stay).
    void eepToTab();
    // Encodes the grid into the program's image; false with the reason shown when it cannot.
    bool tabToEep();
    void search();
    void checkFree();

    void saveToFile();
    void loadFromFile();
    void clearTable();
    void writeToDevice();
    void readFromDevice();

    const PhoneBaseTable& table() const { return draft_->grid(); }
    PhoneBaseTable& table() { return draft_->grid(); }
    // Entries typed or loaded that neither the module nor a file holds.
    bool hasUnsavedEntries() const { return draft_->unsaved(); }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    PhoneBaseImage heldImage() const;
    void storeImage(const PhoneBaseImage& image);
    void takeTexts();

    AppContext& ctx_;
    // The grid, and where its entries are kept.
    std::unique_ptr<PhoneBaseDraft> draft_;
    PhoneBaseModel* model_;
    QTableView* grid_;
    QLineEdit* searchEdit_;
    QLabel* found_;
    QLabel* free_;
    QLabel* wait_;
    QLineEdit* welcome_;
    QLineEdit* goodbye_;
};

} // namespace qv::gui
