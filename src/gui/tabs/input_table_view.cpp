#include "gui/tabs/input_table_view.hpp"

#include "config/defaults.hpp"
#include "gui/app/accessibility.hpp"
#include "gui/app/app_context.hpp"
#include "gui/widgets/binding.hpp"
#include "tools/setting_display.hpp"

namespace qv::gui {

namespace {
ActionCell& cellOf(InputRow& row, bool alarm, int column) {
    auto& cells = alarm ? row.alarmAction : row.returnAction;
    return cells.at(std::size_t(column - 1));
}
} // namespace

void showVisible(QWidget* w, bool visible) {
    if (w->isHidden() == !visible) return;
    w->setVisible(visible);
}

QLineEdit* InputTableView::rowEdit(const char* setting, int slot, int x, int width, int maxLength,
                                   std::string InputRow::*field) {
    QLineEdit* e = tableEdit(this, rows::name(setting, slot), x, rows::top(slot), width, maxLength);
    nameBySetting(e, setting, slot);
    // Every change of the text is an edit, however it came (typing, paste, drop, assistive
    // technology); refresh() shows settings with the signals blocked.
    connect(e, &QLineEdit::textChanged, this, [this, slot, field](const QString& text) {
        settings().input(slot).*field = ss(text);
        commitEdit();
    });
    return e;
}

InputTableView::StatusField InputTableView::statusField(const char* setting, int slot, int x,
                                                        int width, int maxLength,
                                                        std::string InputRow::*field) {
    StatusField f;
    f.edit = rowEdit(setting, slot, x, width, maxLength, field);
    f.status = statusLabel(this, f.edit);
    return f;
}

ActionCellLabel* InputTableView::actionCell(bool alarm, int slot, int column, int x) {
    const char* setting = alarm ? "ALARM_ACTION" : "RETURN_ACTION";
    auto* cell = new ActionCellLabel(this, rows::name(setting, slot, column), x, rows::top(slot));
    nameBySetting(cell, setting, slot, column);
    const bool applies = alarm || constraints::returnFieldsEditable(slot);
    cell->setEnabled(applies);
    if (applies)
        connect(cell, &ActionCellLabel::clicked, this, [this, alarm, slot, column] {
            cycleAction(cellOf(settings().input(slot), alarm, column));
            commitEdit();
        });
    return cell;
}

PictureLabel* InputTableView::actionIcon(const char* objectName, ColumnIcon which,
                                         const QString& hint, int x, int y,
                                         void (*action)(Settings&), const QString& name) {
    PictureLabel* icon = columnIcon(this, objectName, which, hint, x, y);
    icon->setAccessibleName(name);
    connect(icon, &PictureLabel::clicked, this, [this, action] {
        action(settings());
        commitEdit();
    });
    return icon;
}

QString InputTableView::iconName(std::string_view key, int column, const QString& what) {
    return qs(columnLabel(key, column)) + QStringLiteral(" – ") + what;
}

QSize InputTableView::minimumSizeHint() const {
    QRect bounds;
    for (const QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!w->isWindow()) bounds |= w->geometry();
    // The gap the tab leaves at its left at its right too; the footers reach the bottom.
    return QSize(bounds.right() + 1 + rows::kLabelLeft, bounds.bottom() + 1);
}

QStringList InputTableView::headingTexts(const QString& objectName, const QString& polish) const {
    QStringList texts{polish};
    const LanguageTable& table = ctx_.language;
    for (const auto& target : LanguageTable::targets())
        for (const auto& name : target.objectNames)
            if (QString::fromStdString(name) == objectName)
                for (Language l : {Language::Polish, Language::English})
                    texts << QString::fromStdString(table.text(target.slot, l));
    return texts;
}

void InputTableView::markNotApplicable(QLineEdit* edit) {
    edit->setEnabled(false);
    paintBase(edit, palette().color(QPalette::Button));
}

void InputTableView::showStatusField(const StatusField& f, const std::string& text, bool status) {
    showFieldText(f.edit, text);
    showVisible(f.edit, !status);
    showVisible(f.status, status);
}

void InputTableView::showCell(ActionCellLabel* cell, const InputRow& row, bool alarm, int column) {
    const auto& cells = alarm ? row.alarmAction : row.returnAction;
    cell->showCell(cells.at(std::size_t(column - 1)));
}

} // namespace qv::gui
