#include "gui/device_windows/history_grid.hpp"

#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <array>

namespace qv::gui {

namespace {

// Pixel widths of columns 0..13; the others keep the grid's default width. A column is made
// wider when the longest text it holds would not fit in the program's font.
constexpr std::array<int, 14> kColumnWidths = {28, 104, 104, 40, 60, 60, 60,
                                               60, 100, 30,  35, 35, 35, 35};
constexpr int kDefaultColumnWidth = 64;
constexpr int kTextMargin = 6; // 2 pixels before the text, some air after it

// The longest texts of each column (for the header, its own text counts too).
const char* const kWidestTexts[HistoryModel::kColumns] = {"000",
                                                          "2024-12-31 23:59:59",
                                                          "TEST Automatyczny",
                                                          "",
                                                          "C:ER S:ER",
                                                          "C:ER S:ER",
                                                          "C:ER S:ER",
                                                          "C:ER S:ER",
                                                          "0000 00000000000",
                                                          "0",
                                                          "25.5V",
                                                          "25.5V",
                                                          "25.5V",
                                                          "25.5V",
                                                          "255",
                                                          "255",
                                                          "255",
                                                          "",
                                                          "",
                                                          "",
                                                          ""};

QFont boldFont() {
    QFont f;
    f.setBold(true);
    return f;
}

// Black text 2 pixels from the cell's left edge and 1 from its top; yellow on the selection.
class CellDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem opt(option);
        initStyleOption(&opt, index);
        const bool selected = opt.state.testFlag(QStyle::State_Selected);
        painter->save();
        painter->fillRect(
            opt.rect,
            opt.palette.brush(QPalette::Active, selected ? QPalette::Highlight : QPalette::Base));
        painter->setFont(opt.font);
        painter->setPen(selected ? QColor(Qt::yellow) : QColor(Qt::black));
        painter->drawText(opt.rect.adjusted(2, 1, 0, 0), Qt::AlignLeft | Qt::AlignTop, opt.text);
        painter->restore();
    }
};

} // namespace

int HistoryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kEventSlots;
}

int HistoryModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant HistoryModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role == Qt::FontRole && index.column() == 0) return boldFont();
    if (role != Qt::DisplayRole || index.column() >= kHistoryColumns) return {};
    return QString::fromStdString(
        table_.rows[std::size_t(index.row())].cells[std::size_t(index.column())]);
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) return {};
    if (role == Qt::FontRole) return boldFont();
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignLeft | Qt::AlignVCenter);
    if (role != Qt::DisplayRole || section < 0 || section >= kHistoryColumns) return {};
    static const auto header = historyHeader();
    return QString::fromStdString(header[std::size_t(section)]);
}

void HistoryModel::setTable(const HistoryTable& table) {
    beginResetModel();
    table_ = table;
    endResetModel();
}

HistoryGrid::HistoryGrid(QWidget* parent) : QTableView(parent) {
    setObjectName(QStringLiteral("StringGrid1"));
    setModel(&model_);
    setItemDelegate(new CellDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setMinimumSectionSize(16);
    horizontalHeader()->setDefaultSectionSize(kDefaultColumnWidth);
    resetColumnWidths();
}

void HistoryGrid::resetColumnWidths() {
    const QFontMetrics text(font());
    const QFontMetrics bold(boldFont());
    for (int c = 0; c < HistoryModel::kColumns; ++c) {
        int width =
            c < int(kColumnWidths.size()) ? kColumnWidths[std::size_t(c)] : kDefaultColumnWidth;
        const QFontMetrics& cellFont = c == 0 ? bold : text;
        width = std::max(width, cellFont.horizontalAdvance(QString::fromUtf8(kWidestTexts[c])) +
                                    kTextMargin);
        const QString header = model_.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        width = std::max(width, bold.horizontalAdvance(header) + 2 * kTextMargin);
        setColumnWidth(c, width);
    }
}

int HistoryGrid::tableWidth(int columns) const {
    int width = 2 * frameWidth() + verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < columns; ++c)
        width += columnWidth(c);
    return width;
}

} // namespace qv::gui
