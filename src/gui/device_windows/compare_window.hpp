#pragma once
// "Porównaj": what differs between the configuration the window shows and a file or the
// module, setting by setting and in the image bytes no setting covers, in a sortable table.
#include "tools/config_compare.hpp"

#include <QAbstractTableModel>
#include <QDialog>
#include <QSortFilterProxyModel>

class QLabel;
class QTableView;

namespace qv::gui {

// The rows of a comparison: one per differing setting in the file's key order, then one per
// differing run of image bytes.
class CompareModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column { Label, Key, Mine, Other, ColumnCount };
    static constexpr std::size_t kShownBytes = 16;

    explicit CompareModel(QObject* parent = nullptr);

    void setComparison(const Comparison& comparison, const ConfigImage& mine,
                       const ConfigImage& other);
    void setOtherHeading(const QString& heading);
    // The first configuration's column ("W oknie" unless set).
    void setMineHeading(const QString& heading);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    struct Row {
        QString cells[ColumnCount];
        bool imageBytes = false;
    };
    std::vector<Row> rows_;
    QString otherHeading_;
    QString mineHeading_;
};

// Sorts by the shown text, with numbers in keys and labels in their numeric order
// ("ALARM_PHONE.2" before "ALARM_PHONE.10"); unsorted, the rows keep the file's order.
class CompareSortModel : public QSortFilterProxyModel {
    Q_OBJECT
  public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

  protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;
};

class CompareWindow : public QDialog {
    Q_OBJECT
  public:
    explicit CompareWindow(QWidget* parent = nullptr);

    // Shows a comparison of the window's configuration (mine) with another one; otherHeading
    // names the other column ("W pliku", "W urządzeniu") and source what was compared.
    void showComparison(const Comparison& comparison, const ConfigImage& mine,
                        const ConfigImage& other, const QString& otherHeading,
                        const QString& source);
    // The same for any two configurations: their columns' headings and the line above the
    // table, as they are.
    void showComparisonOf(const Comparison& comparison, const ConfigImage& mine,
                          const ConfigImage& other, const QString& mineHeading,
                          const QString& otherHeading, const QString& sourceLine);

    CompareModel* model() const { return model_; }

  private:
    CompareModel* model_;
    CompareSortModel* sorted_;
    QLabel* source_;
    QLabel* summary_;
    QTableView* table_;
};

} // namespace qv::gui
