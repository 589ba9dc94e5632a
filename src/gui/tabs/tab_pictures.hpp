#pragma once
// The small pictures of the table tabs, drawn with simple shapes: the column-action icons under
// the tables and the program's logo.
#include <QPixmap>

namespace qv::gui {

enum class ColumnIcon {
    Cycle,     // step the column to the next action
    Invert,    // invert a column of check boxes
    ChooseAll, // choose this radio button in every row
    CopyDown,  // copy the first value to the rows below
    CopyRight, // copy into the column to the right
    CopyLeft,  // copy into the column to the left
    Clear,     // empty the column
};

inline constexpr int kColumnIconSize = 16;

QPixmap columnIconPixmap(ColumnIcon which);
QPixmap logoPixmap(QSize size);

} // namespace qv::gui
