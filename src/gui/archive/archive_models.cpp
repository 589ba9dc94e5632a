#include "gui/archive/archive_models.hpp"

#include "archive/archive_text.hpp"

namespace qv::gui {

namespace {
QString text(const std::string& s) {
    return QString::fromStdString(s);
}
// A stored text on one line: a note may hold line breaks.
QString oneLine(const std::string& s) {
    QString t = QString::fromStdString(s);
    t.replace(u'\n', u' ').replace(u'\r', u' ').replace(u'\t', u' ');
    return t;
}
} // namespace

void ArchiveModuleModel::setModules(std::vector<ArchiveModule> modules) {
    beginResetModel();
    modules_ = std::move(modules);
    endResetModel();
}

const ArchiveModule* ArchiveModuleModel::module(int row) const {
    return row >= 0 && row < int(modules_.size()) ? &modules_[std::size_t(row)] : nullptr;
}

int ArchiveModuleModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(modules_.size());
}

int ArchiveModuleModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ArchiveModuleModel::data(const QModelIndex& index, int role) const {
    const ArchiveModule* m = module(index.row());
    if (!m || role != Qt::DisplayRole) return {};
    switch (index.column()) {
    case Serial:
        return text(m->serialNumber);
    case Model:
        return text(m->model);
    case Site: {
        QString site = oneLine(m->siteNumber);
        if (!m->siteName.empty()) site += QStringLiteral(" – ") + oneLine(m->siteName);
        return site;
    }
    case LastSeen:
        return text(m->lastSeen);
    case Entries:
        return QString::number(m->entryCount);
    default:
        return {};
    }
}

QVariant ArchiveModuleModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char* const names[] = {"Numer seryjny", "Model", "Obiekt", "Ostatnio", "Wpisy"};
    return section >= 0 && section < ColumnCount ? QString::fromUtf8(names[section]) : QVariant();
}

void ArchiveEntryModel::setEntries(std::vector<ArchiveEntrySummary> entries) {
    beginResetModel();
    entries_ = std::move(entries);
    endResetModel();
}

const ArchiveEntrySummary* ArchiveEntryModel::entry(int row) const {
    return row >= 0 && row < int(entries_.size()) ? &entries_[std::size_t(row)] : nullptr;
}

int ArchiveEntryModel::rowOf(std::int64_t id) const {
    for (std::size_t k = 0; k < entries_.size(); ++k)
        if (entries_[k].id == id) return int(k);
    return -1;
}

int ArchiveEntryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(entries_.size());
}

int ArchiveEntryModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ArchiveEntryModel::data(const QModelIndex& index, int role) const {
    const ArchiveEntrySummary* e = entry(index.row());
    if (!e) return {};
    if (role == Qt::ToolTipRole && index.column() == Note) return text(e->note);
    if (role != Qt::DisplayRole) return {};
    switch (index.column()) {
    case Time:
        return text(e->time);
    case Operation:
        return text(operationText(*e));
    case User:
        return oneLine(e->userName);
    case File:
        return oneLine(e->fileName);
    case Note:
        return oneLine(e->note);
    default:
        return {};
    }
}

QVariant ArchiveEntryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char* const names[] = {"Czas", "Operacja", "Użytkownik", "Plik", "Notatka"};
    return section >= 0 && section < ColumnCount ? QString::fromUtf8(names[section]) : QVariant();
}

} // namespace qv::gui
