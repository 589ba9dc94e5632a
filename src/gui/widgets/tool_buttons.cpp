#include "gui/widgets/tool_buttons.hpp"

#include <QToolBar>

namespace qv::gui {

QToolButton* addCaptionedToolButton(QToolBar* bar, const char* objectName, const QString& caption,
                                    ToolIcon icon) {
    auto* b = new QToolButton(bar);
    b->setObjectName(QString::fromLatin1(objectName));
    b->setText(caption);
    b->setIcon(toolIcon(icon));
    b->setAutoRaise(true);
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    bar->addWidget(b);
    return b;
}

} // namespace qv::gui
