#pragma once
// A captioned tool button with one of the program's own pictures, added to a tool bar.
#include "gui/widgets/toolbar_icons.hpp"

#include <QToolButton>

class QToolBar;

namespace qv::gui {

QToolButton* addCaptionedToolButton(QToolBar* bar, const char* objectName, const QString& caption,
                                    ToolIcon icon);

} // namespace qv::gui
