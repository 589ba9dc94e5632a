#include "gui/tabs/tab_layout.hpp"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace qv::gui {

QGroupBox* formGroup(QWidget* parent, const char* name, const QString& caption,
                     QFormLayout** form) {
    auto* group = new QGroupBox(caption, parent);
    group->setObjectName(QString::fromLatin1(name));
    auto* f = new QFormLayout(group);
    f->setContentsMargins(8, 4, 8, 6);
    f->setHorizontalSpacing(8);
    f->setVerticalSpacing(3);
    f->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    f->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    *form = f;
    return group;
}

void addFormRow(QFormLayout* form, const QString& caption, QWidget* control) {
    auto* label = new QLabel(caption, form->parentWidget());
    label->setObjectName(QStringLiteral("Label") + control->objectName());
    label->setBuddy(control);
    form->addRow(label, control);
}

QWidget* inRow(QWidget* parent, std::initializer_list<QWidget*> widgets, bool stretch) {
    auto* row = new QWidget(parent);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(6);
    for (QWidget* w : widgets) {
        w->setParent(row);
        h->addWidget(w);
    }
    if (stretch) h->addStretch(1);
    return row;
}

int comboWidthFor(const QWidget* context, const QStringList& items, int atLeast, int height) {
    QStyleOptionComboBox opt;
    opt.initFrom(context);
    opt.rect = QRect(0, 0, atLeast, height);
    opt.frame = true;
    opt.editable = false;
    const QRect field =
        context->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField);
    // What the list's frame and drop button take, and a little air beside the text.
    const int chrome = atLeast - field.width() + 4;
    const QFontMetricsF fm(context->font());
    qreal widest = 0;
    for (const QString& item : items)
        widest = std::max(widest, fm.horizontalAdvance(item));
    return std::max(atLeast, int(std::ceil(widest)) + chrome);
}

void twoColumns(QWidget* tab, std::initializer_list<QWidget*> left,
                std::initializer_list<QWidget*> right) {
    auto* columns = new QHBoxLayout(tab);
    columns->setContentsMargins(8, 6, 8, 6);
    columns->setSpacing(10);
    for (const auto& groups : {left, right}) {
        auto* column = new QVBoxLayout;
        for (QWidget* g : groups)
            column->addWidget(g);
        column->addStretch(1);
        columns->addLayout(column, 1);
    }
}

} // namespace qv::gui
