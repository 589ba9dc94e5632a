#pragma once
// The history table as the window shows it: 21 columns, a fixed header row and 200 rows (row 1
// the newest record after a read, oldest first after a file was sorted). Column 0 and the
// header are bold; the selected row's text is yellow.
#include "monitor/event_history.hpp"

#include <QAbstractTableModel>
#include <QTableView>

namespace qv::gui {

class HistoryModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    static constexpr int kColumns = 21; // columns 17..20 stay empty

    using QAbstractTableModel::QAbstractTableModel;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void setTable(const HistoryTable& table);
    const HistoryTable& table() const { return table_; }

  private:
    HistoryTable table_;
};

class HistoryGrid : public QTableView {
    Q_OBJECT
  public:
    explicit HistoryGrid(QWidget* parent = nullptr);

    HistoryModel& historyModel() { return model_; }
    // Puts every column back to its own width (the user may have dragged them).
    void resetColumnWidths();
    // Pixels the grid needs to show its first columns side by side.
    int tableWidth(int columns) const;

  private:
    HistoryModel model_;
};

} // namespace qv::gui
