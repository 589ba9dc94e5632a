#pragma once
// The tab of the descriptions: one description line per input slot, and beside them the memo
// `Opis` with the configuration's free description. Neither is sent to the module; the memo is
// kept in the configuration file only, the input descriptions nowhere.
//
// Object names: fDESCRIPTION_s (slot 1..15), RowLabel_s, the memo Opis, the icons Image22
// (empty the input descriptions) and Image23 (empty the memo).
#include "gui/tabs/input_table_view.hpp"

#include <array>

class QPlainTextEdit;

namespace qv::gui {

class TabOpisy : public InputTableView {
    Q_OBJECT
  public:
    explicit TabOpisy(AppContext& ctx, QWidget* parent = nullptr);
    void refresh() override;

  private:
    std::array<QLineEdit*, memmap::kInputSlots> descriptions_{};
    QPlainTextEdit* memo_ = nullptr;
};

} // namespace qv::gui
