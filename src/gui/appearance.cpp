#include "gui/appearance.hpp"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QStyleFactory>

namespace qv::gui {

void applyAppearance(QApplication& app) {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QFont font = app.font();
    const QStringList families = QFontDatabase::families();
    for (const char* family : {"Liberation Sans", "Arial", "DejaVu Sans"}) {
        if (families.contains(QString::fromLatin1(family))) {
            font.setFamily(QString::fromLatin1(family));
            break;
        }
    }
    font.setPointSizeF(9);
    QApplication::setFont(font);
}

} // namespace qv::gui
