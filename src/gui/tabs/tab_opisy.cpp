#include "gui/tabs/tab_opisy.hpp"

#include "gui/widgets/binding.hpp"
#include "tools/editing_actions.hpp"

#include <QPlainTextEdit>
#include <QSignalBlocker>

namespace qv::gui {

namespace {

constexpr int kDescriptionX = 80, kDescriptionWidth = 360, kDescriptionLimit = 100;
constexpr int kMemoX = kDescriptionX + kDescriptionWidth + 10, kMemoRight = 796;

// The memo's text as the description's lines and back.
std::vector<std::string> linesOf(const QString& text) {
    std::vector<std::string> lines;
    if (text.isEmpty()) return lines;
    for (const QString& line : text.split(QLatin1Char('\n')))
        lines.push_back(ss(line));
    return lines;
}

QString textOf(const std::vector<std::string>& lines) {
    QStringList list;
    list.reserve(int(lines.size()));
    for (const auto& line : lines)
        list << qs(line);
    return list.join(QLatin1Char('\n'));
}

} // namespace

TabOpisy::TabOpisy(AppContext& ctx, QWidget* parent)
    : InputTableView(ctx, QStringLiteral("TabOpisy"), parent) {
    // The labels as drawn, or as wide as the font needs: what they gain moves the rest right.
    const int grown = std::max(0, rows::labelWidth(font()) - rows::kLabelWidth);
    const int descriptionX = kDescriptionX + grown;
    const int memoX = kMemoX + grown, memoRight = kMemoRight + grown;
    rowLabels(this, rows::kLabelWidth + grown);
    for (int slot = 1; slot <= memmap::kInputSlots; ++slot)
        descriptions_[std::size_t(slot - 1)] =
            rowEdit("DESCRIPTION", slot, descriptionX, kDescriptionWidth, kDescriptionLimit,
                    &InputRow::description);
    horizontalLine(this, rows::kLabelLeft, rows::kSeparatorTop,
                   descriptionX + kDescriptionWidth - rows::kLabelLeft);

    memo_ = new QPlainTextEdit(this);
    memo_->setObjectName(QStringLiteral("Opis"));
    memo_->setGeometry(memoX, rows::top(1), memoRight - memoX,
                       rows::top(memmap::kInputSlots) + rows::kFieldHeight - rows::top(1));
    memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo_->setAccessibleName(QStringLiteral("Opis konfiguracji"));
    // Tab moves on to the next control; Ctrl+Tab would switch the page.
    memo_->setTabChangesFocus(true);
    connect(memo_, &QPlainTextEdit::textChanged, this, [this] {
        settings().description = linesOf(memo_->toPlainText());
        commitEdit();
    });

    const int y = rows::kBelowTable;
    PictureLabel* clearDescriptions = actionIcon(
        "Image22", ColumnIcon::Clear, QStringLiteral("Wyczyść opisy"),
        descriptionX + (kDescriptionWidth - kColumnIconSize) / 2, y, editing::clearDescriptions,
        iconName("DESCRIPTION", 0, QStringLiteral("wyczyść opisy")));
    actionIcon("Image23", ColumnIcon::Clear, QStringLiteral("Wyczyść opis"),
               memoX + (memoRight - memoX - kColumnIconSize) / 2, y, editing::clearDescriptionMemo,
               memo_->accessibleName() + QStringLiteral(" – wyczyść opis"));
    // The keyboard finishes a column, its icon included, before the next.
    setTabOrder(descriptions_.back(), clearDescriptions);
    setTabOrder(clearDescriptions, memo_);
    fixedLabel(this,
               QStringLiteral("* Opisy zapisywane są tylko w pliku konfiguracyjnym i nie są "
                              "wysyłane do urządzenia"),
               rows::kLabelLeft, y + kColumnIconSize + 4, memoRight - rows::kLabelLeft,
               Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("LabelDescriptionNote"));
}

void TabOpisy::refresh() {
    const Settings& s = settings();
    for (int slot = 1; slot <= memmap::kInputSlots; ++slot)
        showFieldText(descriptions_[std::size_t(slot - 1)], s.input(slot).description);
    const QString text = textOf(s.description);
    if (memo_->toPlainText() != text) {
        const QSignalBlocker block(memo_);
        memo_->setPlainText(text);
    }
}

} // namespace qv::gui
