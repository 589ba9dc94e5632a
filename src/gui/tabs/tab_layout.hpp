#pragma once
// Layout helpers the tabs share: framed groups with their captions, and caption + control rows.
#include <QFormLayout>
#include <QGroupBox>

namespace qv::gui {

// A group box with its caption (the captions carry their own blanks) and a compact form.
QGroupBox* formGroup(QWidget* parent, const char* name, const QString& caption, QFormLayout** form);

// A row "caption  control" whose caption label is named "Label" + the control's name.
void addFormRow(QFormLayout* form, const QString& caption, QWidget* control);

// Widgets side by side without margins, for one cell of a form.
QWidget* inRow(QWidget* parent, std::initializer_list<QWidget*> widgets, bool stretch = true);

// The width a drop-down list (not editable, framed, of the given height) needs to show the
// widest of items, in context's font and style; at least atLeast.
int comboWidthFor(const QWidget* context, const QStringList& items, int atLeast, int height = 22);

// Lays a tab out in two columns of equal width, each a stack of groups from the top.
void twoColumns(QWidget* tab, std::initializer_list<QWidget*> left,
                std::initializer_list<QWidget*> right);

} // namespace qv::gui
