#pragma once
// A tab that shows columns of the input table. It builds the per-row widgets bound to the rows'
// settings (an edit writes into its row and commits) and the column icons that run one of the
// core's column actions, and it shows the rows again on refresh.
#include "gui/tabs/table_widgets.hpp"
#include "gui/widgets/settings_view.hpp"

#include <string>
#include <string_view>

namespace qv::gui {

class InputTableView : public SettingsView {
    Q_OBJECT
  public:
    using SettingsView::SettingsView;

    // The room the tab's widgets take, hidden ones included (they are placed at fixed
    // positions, without a layout).
    QSize minimumSizeHint() const override;
    QSize sizeHint() const override { return minimumSizeHint(); }

  protected:
    // A heading's texts in both languages (the table's texts for a heading the language
    // switches, else only polish): the tab keeps one layout in either.
    QStringList headingTexts(const QString& objectName, const QString& polish) const;

    // A row's text field `fSETTING_slot`, bound to field of its row.
    QLineEdit* rowEdit(const char* setting, int slot, int x, int width, int maxLength,
                       std::string InputRow::*field);
    // An SMS text field with the "Status urządzenia" label under it.
    struct StatusField {
        QLineEdit* edit = nullptr;
        QLabel* status = nullptr;
    };
    StatusField statusField(const char* setting, int slot, int x, int width, int maxLength,
                            std::string InputRow::*field);
    // Action cell `fALARM_ACTION_slot_column` or `fRETURN_ACTION_slot_column`; a click steps
    // it through the cycle. Row 1's return cells do not apply and stay inert.
    ActionCellLabel* actionCell(bool alarm, int slot, int column, int x);
    // A column icon that runs action on the settings; name is what assistive technology
    // calls it (the hint describes it).
    PictureLabel* actionIcon(const char* objectName, ColumnIcon which, const QString& hint, int x,
                             int y, void (*action)(Settings&), const QString& name);
    // An icon's name: its column's heading and what it does ("Reset – zmień wszystkie").
    static QString iconName(std::string_view key, int column, const QString& what);

    // Row 1 has no return side: its return fields are disabled and painted button-face.
    void markNotApplicable(QLineEdit* edit);

    // Shows a text field's value, and hides it for the label under it while the row sends the
    // device status instead.
    static void showStatusField(const StatusField& f, const std::string& text, bool status);
    static void showCell(ActionCellLabel* cell, const InputRow& row, bool alarm, int column);
};

// Shows or hides a widget, touching it only when its state differs.
void showVisible(QWidget* w, bool visible);

} // namespace qv::gui
