#include "gui/device_windows/phone_base_model.hpp"

#include <QBrush>
#include <QColor>

namespace qv::gui {

PhoneBaseModel::PhoneBaseModel(PhoneBaseTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table), matches_(kPhoneBaseRows, false) {}

int PhoneBaseModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kPhoneBaseRows;
}

int PhoneBaseModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 3;
}

QVariant PhoneBaseModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const auto row = std::size_t(index.row());
    const bool highlighted = searching_ && index.column() > 0 && matches_[row];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        if (index.column() == 0) return QStringLiteral("Telefon %1").arg(index.row() + 1);
        return QString::fromStdString(index.column() == 1 ? table_.numbers[row]
                                                          : table_.names[row]);
    case Qt::BackgroundRole:
        if (highlighted) return QBrush(Qt::yellow);
        if (index.column() == 0) return QBrush(QColor(236, 236, 232));
        return {};
    case Qt::ForegroundRole:
        if (highlighted) return QBrush(Qt::black);
        return {};
    default:
        return {};
    }
}

QVariant PhoneBaseModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    switch (section) {
    case 1:
        return QStringLiteral("Numer (maks. 16 cyfr)");
    case 2:
        return QStringLiteral("Opis (pamietany tylko w pliku)");
    default:
        return QString();
    }
}

Qt::ItemFlags PhoneBaseModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() > 0) f |= Qt::ItemIsEditable;
    return f;
}

bool PhoneBaseModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || index.column() == 0) return false;
    const std::string text = trimEditedCell(value.toString().toStdString());
    auto& cell = index.column() == 1 ? table_.numbers[std::size_t(index.row())]
                                     : table_.names[std::size_t(index.row())];
    cell = text;
    Q_EMIT dataChanged(index, index);
    Q_EMIT cellEdited();
    return true;
}

PhoneBaseSearch PhoneBaseModel::search(const QString& text) {
    const std::string needle = text.toStdString();
    const PhoneBaseSearch found = searchPhoneBase(table_, needle);
    searching_ = !needle.empty();
    for (std::size_t r = 0; r < matches_.size(); ++r)
        matches_[r] = phoneBaseRowMatches(table_, int(r), needle);
    Q_EMIT dataChanged(index(0, 1), index(kPhoneBaseRows - 1, 2),
                       {Qt::BackgroundRole, Qt::ForegroundRole});
    return found;
}

void PhoneBaseModel::reset() {
    beginResetModel();
    endResetModel();
}

} // namespace qv::gui
