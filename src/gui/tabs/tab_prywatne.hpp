#pragma once
// The tab of the private phones: their actions (columns 2..4 of every row) and SMS texts for
// alarm and return, one row per input slot, the column icons under the table and the three
// private phone numbers below them. Resting the mouse on a private action cell lights up the
// phone its column notifies for three seconds.
//
// Object names of the per-row widgets (slot 1..15, column c = 2..4 for private phone c - 1):
//   fALARM_ACTION_s_c, fRETURN_ACTION_s_c (action cells), fALARM_PRIV_TEXT_s,
//   fRETURN_PRIV_TEXT_s (edits), Status_fALARM_PRIV_TEXT_s, Status_fRETURN_PRIV_TEXT_s (the
//   "Status urządzenia" labels), RowLabel_s; the phones fPRIV_PHONE_1..3.
#include "gui/tabs/input_table_view.hpp"

#include <QTimer>

#include <array>

namespace qv::gui {

class TabPrywatne : public InputTableView {
    Q_OBJECT
  public:
    explicit TabPrywatne(AppContext& ctx, QWidget* parent = nullptr);
    void refresh() override;

    // The timer that paints the private phones white again (3000 ms, single shot).
    QTimer* highlightTimer() { return &highlightReset_; }

  private:
    static constexpr int kPrivateColumns = memmap::kActionColumns - 1;
    struct Row {
        std::array<ActionCellLabel*, kPrivateColumns> alarm{};
        std::array<ActionCellLabel*, kPrivateColumns> ret{};
        StatusField alarmText;
        StatusField returnText;
    };
    int right() const;
    void buildHeadings();
    void buildRow(int slot);
    void buildIcons();
    void buildPhones();
    // Column c (2..4): its phone lime green, the others white, until the timer fires.
    void highlightPhone(int column);
    void paintPhones(int litColumn);

    ColumnPlan plan_;
    struct Columns {
        int label, alarm, alarmText, ret, returnText;
    } col_{};
    std::array<Row, memmap::kInputSlots> rows_{};
    std::array<QLineEdit*, memmap::kPrivatePhones> phones_{};
    QTimer highlightReset_;
};

} // namespace qv::gui
