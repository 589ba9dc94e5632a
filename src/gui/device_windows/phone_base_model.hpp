#pragma once
// The phone base grid as a table model over the core's PhoneBaseTable: column 0 the row label
// "Telefon n", column 1 the number, column 2 the description. Rows that match the search text
// are painted yellow with black text.
#include "tools/phone_base.hpp"

#include <QAbstractTableModel>

#include <vector>

namespace qv::gui {

class PhoneBaseModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit PhoneBaseModel(PhoneBaseTable& table, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // An edited cell longer than 16 characters keeps its last 16 characters.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // Searches the numbers and descriptions; returns the match count and the first match.
    PhoneBaseSearch search(const QString& text);
    // The table changed as a whole (decode, load, clear).
    void reset();

  Q_SIGNALS:
    void cellEdited();

  private:
    PhoneBaseTable& table_;
    std::vector<bool> matches_;
    bool searching_ = false;
};

} // namespace qv::gui
