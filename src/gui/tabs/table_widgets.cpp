#include "gui/tabs/table_widgets.hpp"

#include "config/item_lists.hpp"
#include "gui/widgets/binding.hpp"

#include <QFontMetricsF>
#include <QFrame>
#include <QMouseEvent>

#include <algorithm>
#include <cmath>

namespace qv::gui {

QString rows::name(const char* setting, int slot) {
    return QStringLiteral("f%1_%2").arg(QLatin1String(setting)).arg(slot);
}

QString rows::name(const char* setting, int slot, int column) {
    return QStringLiteral("f%1_%2_%3").arg(QLatin1String(setting)).arg(slot).arg(column);
}

int rows::labelWidth(const QFont& font) {
    QStringList labels;
    for (int slot = 1; slot <= memmap::kInputSlots; ++slot)
        labels << QString::fromUtf8(items::slotLabel(slot));
    return std::max(kLabelWidth, textWidth(font, labels) + 2);
}

int ColumnPlan::add(int x, int width, int needed) {
    // A column that must grow takes a little air too: its heading does not touch its neighbours.
    const int growth = needed > width ? needed + kAir - width : 0;
    columns_.push_back({x, width, growth, shift_});
    shift_ += growth;
    return int(columns_.size()) - 1;
}

int ColumnPlan::at(int c, int x, bool alignLeft) const {
    const Column& col = columns_.at(std::size_t(c));
    return x + col.shift + (alignLeft ? 0 : col.growth / 2);
}

int ColumnPlan::left(int c) const {
    const Column& col = columns_.at(std::size_t(c));
    return col.x + col.shift;
}

int ColumnPlan::width(int c) const {
    const Column& col = columns_.at(std::size_t(c));
    return col.width + col.growth;
}

int ColumnPlan::shift(int c) const {
    return columns_.at(std::size_t(c)).shift;
}

int textWidth(const QFont& font, const QStringList& texts) {
    const QFontMetricsF fm(font);
    qreal widest = 0;
    for (const QString& t : texts)
        widest = std::max(widest, fm.horizontalAdvance(t));
    // Less than half a pixel over is not seen.
    return int(std::ceil(widest - 0.5));
}

QColor actionRgb(ActionColour colour) {
    // Red and teal in darker shades than pure FF0000 and 008080, which read on the cells' face at
    // no more than 2.5:1; each of these reads at 4.5:1 or better.
    switch (colour) {
    case ActionColour::White:
        break;
    case ActionColour::Red:
        return QColor(0xC0, 0x00, 0x00);
    case ActionColour::Blue:
        return QColor(0x00, 0x00, 0xFF);
    case ActionColour::Purple:
        return QColor(0x80, 0x00, 0x80);
    case ActionColour::Teal:
        return QColor(0x00, 0x6A, 0x6A);
    }
    return QColor(0xFF, 0xFF, 0xFF);
}

ActionCellLabel::ActionCellLabel(QWidget* parent, const QString& objectName, int x, int y)
    : ClickableLabel(parent, objectName) {
    setGeometry(x, y, kWidth, rows::kFieldHeight);
    setAlignment(Qt::AlignCenter);
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    setMouseTracking(true);
    QFont f = font();
    f.setBold(true);
    setFont(f);
    // The cells sit on a face of their own, darker than the window; the "X" of a cell that
    // does not apply stays readable on it.
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xDC, 0xDF, 0xE4));
    pal.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x5A, 0x5A, 0x5A));
    setPalette(pal);
    setAutoFillBackground(true);
}

void ActionCellLabel::showCell(const ActionCell& cell) {
    const QString text = QString::fromStdString(cell.text);
    if (this->text() != text) {
        setText(text);
        // The notification is part of the name a screen reader reads.
        QAccessibleEvent changed(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&changed);
    }
    const QColor rgb = actionRgb(cell.colour);
    if (palette().color(QPalette::Active, QPalette::WindowText) == rgb) return;
    // Enabled cells show the action's colour; a disabled cell keeps the style's grey.
    QPalette pal = palette();
    pal.setColor(QPalette::Active, QPalette::WindowText, rgb);
    pal.setColor(QPalette::Inactive, QPalette::WindowText, rgb);
    setPalette(pal);
}

QString ActionCellLabel::accessibleValue() const {
    return text().isEmpty() ? QStringLiteral("brak") : text();
}

void ActionCellLabel::mouseMoveEvent(QMouseEvent* event) {
    QLabel::mouseMoveEvent(event);
    Q_EMIT hovered();
}

void ActionCellLabel::enterEvent(QEnterEvent* event) {
    QLabel::enterEvent(event);
    Q_EMIT hovered();
}

void ActionCellLabel::focusInEvent(QFocusEvent* event) {
    ClickableLabel::focusInEvent(event);
    Q_EMIT hovered();
}

PictureLabel::PictureLabel(QWidget* parent, const QString& objectName, const QPixmap& picture,
                           const QString& hint)
    : ClickableLabel(parent, objectName) {
    setPixmap(picture);
    setToolTip(hint);
    resize(picture.deviceIndependentSize().toSize());
}

PictureLabel* columnIcon(QWidget* parent, const char* objectName, ColumnIcon which,
                         const QString& hint, int x, int y) {
    auto* icon =
        new PictureLabel(parent, QString::fromLatin1(objectName), columnIconPixmap(which), hint);
    icon->move(x, y);
    return icon;
}

QLineEdit* tableEdit(QWidget* parent, const QString& objectName, int x, int y, int width,
                     int maxLength) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(objectName);
    e->setGeometry(x, y, width, rows::kFieldHeight);
    e->setTextMargins(2, 0, 2, 0);
    e->setAutoFillBackground(true);
    limitEdit(e, maxLength);
    return e;
}

void showFieldText(QLineEdit* edit, const std::string& text) {
    const QString t = qs(text);
    if (edit->text() == t) return;
    const QSignalBlocker block(edit);
    edit->setText(t);
    edit->setCursorPosition(0);
}

void paintBase(QLineEdit* edit, const QColor& colour) {
    if (edit->palette().color(QPalette::Active, QPalette::Base) == colour &&
        edit->palette().color(QPalette::Disabled, QPalette::Base) == colour)
        return;
    QPalette pal = edit->palette();
    pal.setColor(QPalette::Base, colour);
    edit->setPalette(pal);
}

QLabel* fixedLabel(QWidget* parent, const QString& text, int x, int y, int width,
                   Qt::Alignment align, const QString& objectName) {
    auto* l = new QLabel(text, parent);
    if (!objectName.isEmpty()) l->setObjectName(objectName);
    l->setGeometry(x, y, width, rows::kFieldHeight);
    l->setAlignment(align);
    return l;
}

QLabel* statusLabel(QWidget* parent, const QLineEdit* field) {
    auto* l = new QLabel(QString::fromUtf8(items::kStatusLabel), parent);
    l->setObjectName(QStringLiteral("Status_") + field->objectName());
    l->setGeometry(field->geometry());
    l->setIndent(3);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    l->hide();
    return l;
}

void rowLabels(QWidget* parent, int width) {
    for (int slot = 1; slot <= memmap::kInputSlots; ++slot)
        fixedLabel(parent, QString::fromUtf8(items::slotLabel(slot)), rows::kLabelLeft,
                   rows::top(slot), width, Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("RowLabel_%1").arg(slot));
}

void horizontalLine(QWidget* parent, int x, int y, int width) {
    auto* f = new QFrame(parent);
    f->setFrameShape(QFrame::HLine);
    f->setFrameShadow(QFrame::Sunken);
    f->setGeometry(x, y, width, 3);
}

void verticalLine(QWidget* parent, int x, int y, int height) {
    auto* f = new QFrame(parent);
    f->setFrameShape(QFrame::VLine);
    f->setFrameShadow(QFrame::Sunken);
    f->setGeometry(x, y, 3, height);
}

} // namespace qv::gui
