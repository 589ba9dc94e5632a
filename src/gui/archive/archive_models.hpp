#pragma once
// The archive's lists as table models: the modules it has seen and one module's entries. They
// hold only what a list shows (never an image, so never a password or a PIN).
#include "archive/archive_types.hpp"

#include <QAbstractTableModel>

#include <vector>

namespace qv::gui {

class ArchiveModuleModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column { Serial, Model, Site, LastSeen, Entries, ColumnCount };
    using QAbstractTableModel::QAbstractTableModel;

    void setModules(std::vector<ArchiveModule> modules);
    const ArchiveModule* module(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    std::vector<ArchiveModule> modules_;
};

class ArchiveEntryModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column { Time, Operation, User, File, Note, ColumnCount };
    using QAbstractTableModel::QAbstractTableModel;

    void setEntries(std::vector<ArchiveEntrySummary> entries);
    const ArchiveEntrySummary* entry(int row) const;
    // The row of an entry; -1 when it is not listed.
    int rowOf(std::int64_t id) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    std::vector<ArchiveEntrySummary> entries_;
};

} // namespace qv::gui
