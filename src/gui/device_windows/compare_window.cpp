#include "gui/device_windows/compare_window.hpp"

#include <QCollator>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace qv::gui {

namespace {

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

// An empty value shows as a dash, so an emptied field is not read as a missing cell.
QString shown(const std::string& s) {
    return s.empty() ? QStringLiteral("—") : text(s);
}

const QString kImageLabel = QStringLiteral("Obraz konfiguracji (bajty poza ustawieniami)");

} // namespace

CompareModel::CompareModel(QObject* parent)
    : QAbstractTableModel(parent), otherHeading_(QStringLiteral("W pliku")),
      mineHeading_(QStringLiteral("W oknie")) {}

void CompareModel::setComparison(const Comparison& comparison, const ConfigImage& mine,
                                 const ConfigImage& other) {
    beginResetModel();
    rows_.clear();
    rows_.reserve(comparison.settings.size() + comparison.ranges.size());
    for (const auto& d : comparison.settings)
        rows_.push_back({{text(d.label), text(d.key), shown(d.valueA), shown(d.valueB)}, false});
    for (const auto& r : comparison.ranges)
        rows_.push_back(
            {{kImageLabel, QStringLiteral("bajt ") + text(rangeText(r)),
              text(hexBytes(mine, r, kShownBytes)), text(hexBytes(other, r, kShownBytes))},
             true});
    endResetModel();
}

void CompareModel::setMineHeading(const QString& heading) {
    mineHeading_ = heading;
    Q_EMIT headerDataChanged(Qt::Horizontal, Mine, Mine);
}

void CompareModel::setOtherHeading(const QString& heading) {
    otherHeading_ = heading;
    Q_EMIT headerDataChanged(Qt::Horizontal, Other, Other);
}

int CompareModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int CompareModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CompareModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(rows_.size())) return {};
    const Row& row = rows_[std::size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return row.cells[index.column()];
    case Qt::FontRole:
        if (row.imageBytes && (index.column() == Mine || index.column() == Other))
            return QFont(QStringLiteral("DejaVu Sans Mono"));
        return {};
    default:
        return {};
    }
}

QVariant CompareModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    switch (section) {
    case Label:
        return QStringLiteral("Ustawienie");
    case Key:
        return QStringLiteral("Klucz");
    case Mine:
        return mineHeading_;
    case Other:
        return otherHeading_;
    default:
        return {};
    }
}

bool CompareSortModel::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    static const QCollator collator = [] {
        QCollator c(QLocale(QLocale::Polish, QLocale::Poland));
        c.setNumericMode(true);
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    const int order = collator.compare(left.data().toString(), right.data().toString());
    // Equal texts keep the file's order.
    return order != 0 ? order < 0 : left.row() < right.row();
}

CompareWindow::CompareWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TCompareForm"));
    setWindowTitle(QStringLiteral("Porównanie konfiguracji"));

    source_ = new QLabel(this);
    source_->setObjectName(QStringLiteral("compareSourceLabel"));
    source_->setTextFormat(Qt::PlainText); // a file name, as it stands
    source_->setWordWrap(true);
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("compareSummaryLabel"));
    QFont bold = summary_->font();
    bold.setBold(true);
    summary_->setFont(bold);

    model_ = new CompareModel(this);
    sorted_ = new CompareSortModel(this);
    sorted_->setSourceModel(model_);
    table_ = new QTableView(this);
    table_->setObjectName(QStringLiteral("compareTable"));
    table_->setAccessibleName(QStringLiteral("Różnice"));
    table_->setModel(sorted_);
    table_->setSortingEnabled(true);
    table_->sortByColumn(-1, Qt::AscendingOrder); // the file's order until a heading is clicked
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setAlternatingRowColors(true);
    table_->setWordWrap(false);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);

    auto* close = new QPushButton(QStringLiteral("&Zamknij"), this);
    close->setObjectName(QStringLiteral("compareCloseButton"));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(summary_, 1);
    bottom->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(source_);
    layout->addWidget(table_, 1);
    layout->addLayout(bottom);
    resize(900, 480);
}

void CompareWindow::showComparison(const Comparison& comparison, const ConfigImage& mine,
                                   const ConfigImage& other, const QString& otherHeading,
                                   const QString& source) {
    showComparisonOf(comparison, mine, other, QStringLiteral("W oknie"), otherHeading,
                     QStringLiteral("Konfiguracja w oknie porównana z: ") + source);
}

void CompareWindow::showComparisonOf(const Comparison& comparison, const ConfigImage& mine,
                                     const ConfigImage& other, const QString& mineHeading,
                                     const QString& otherHeading, const QString& sourceLine) {
    model_->setMineHeading(mineHeading);
    model_->setOtherHeading(otherHeading);
    model_->setComparison(comparison, mine, other);
    table_->sortByColumn(-1, Qt::AscendingOrder);
    source_->setText(sourceLine);
    const int count = model_->rowCount();
    summary_->setText(comparison.same() ? QStringLiteral("Konfiguracje są identyczne")
                                        : QStringLiteral("Różnic: %1").arg(count));
    table_->setVisible(!comparison.same());
    table_->setColumnWidth(CompareModel::Label, 340);
    table_->setColumnWidth(CompareModel::Key, 150);
    table_->setColumnWidth(CompareModel::Mine, 170);
    // Without differences only the two lines and the button are left to show.
    if (comparison.same())
        resize(620, sizeHint().height());
    else
        resize(std::max(width(), 900), std::max(height(), 480));
    show();
    raise();
    activateWindow();
}

} // namespace qv::gui
