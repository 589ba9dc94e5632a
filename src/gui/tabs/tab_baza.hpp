#pragma once
// The tab of the base table: contact type, input time, reset, status, the base phone's actions,
// SMS texts and phone numbers for alarm and return, one row per input slot, with the column
// icons under the table and the logo at the bottom right.
//
// Object names of the per-row widgets (slot 1..15, column 1 = the base phone):
//   fINPUT_NC_s, fINPUT_NO_s (radio pair), fINPUT_DEAF_TIME_s (list), fINPUT_DEAF_UNIT_s (unit),
//   fINPUT_RESET_s, fINPUT_STATUS_s (check boxes), fALARM_ACTION_s_1, fRETURN_ACTION_s_1
//   (action cells), fALARM_TEXT_s, fALARM_PHONE_s, fRETURN_TEXT_s, fRETURN_PHONE_s (edits),
//   Status_fALARM_TEXT_s, Status_fRETURN_TEXT_s (the "Status urządzenia" labels), RowLabel_s.
#include "gui/tabs/input_table_view.hpp"

#include <array>

class QCheckBox;
class QComboBox;
class QRadioButton;

namespace qv::gui {

class TabBaza : public InputTableView {
    Q_OBJECT
  public:
    explicit TabBaza(AppContext& ctx, QWidget* parent = nullptr);
    void refresh() override;

  private:
    struct Row {
        QRadioButton* nc = nullptr;
        QRadioButton* no = nullptr;
        QComboBox* time = nullptr;
        QCheckBox* reset = nullptr;
        QCheckBox* status = nullptr;
        ActionCellLabel* alarm = nullptr;
        ActionCellLabel* ret = nullptr;
        StatusField alarmText;
        StatusField returnText;
        QLineEdit* alarmPhone = nullptr;
        QLineEdit* returnPhone = nullptr;
    };
    // Where the columns lie: as drawn, or wider where the font needs it.
    void planColumns();
    int right() const;
    void buildHeadings();
    void buildRow(int slot);
    void buildIcons();
    void buildFooter();

    ColumnPlan plan_;
    struct Columns {
        int label, ncNo, time, reset, status, alarm, alarmText, alarmPhone, ret, returnText,
            returnPhone;
    } col_{};
    int timeWidth_ = 0, unitWidth_ = 0;
    std::array<Row, memmap::kInputSlots> rows_{};
};

} // namespace qv::gui
