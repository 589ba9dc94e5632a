#include "gui/app/appearance.hpp"

#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QLibraryInfo>
#include <QPalette>
#include <QStyleFactory>
#include <QTranslator>

#include <algorithm>
#include <cmath>

namespace qv::gui {

namespace {

// The first of families the font database holds, matched without regard to case.
QString firstInstalled(const QStringList& families) {
    const QStringList installed = QFontDatabase::families();
    for (const QString& family : families)
        for (const QString& have : installed)
            if (have.compare(family, Qt::CaseInsensitive) == 0) return have;
    return {};
}

bool sameFamily(const QFont& font, const QString& family) {
    return QFontInfo(font).family().compare(family, Qt::CaseInsensitive) == 0;
}

// Qt's Polish catalogue, loaded once; installed while the program speaks Polish.
QTranslator* qtPolish() {
    static QTranslator* translator = [] {
        auto* t = new QTranslator(QCoreApplication::instance());
        const QString name = QStringLiteral("qtbase_pl");
        const QStringList folders = {
            QLibraryInfo::path(QLibraryInfo::TranslationsPath),
            QCoreApplication::applicationDirPath() + QStringLiteral("/translations"),
        };
        for (const QString& folder : folders)
            if (t->load(name, folder)) return t;
        delete t;
        return static_cast<QTranslator*>(nullptr);
    }();
    return translator;
}

} // namespace

QStringList windowFontFamilies() {
    // Liberation Sans and Arial share their metrics; DejaVu Sans is wider, and the window
    // grows where it needs to.
    return {QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
            QStringLiteral("DejaVu Sans")};
}

QStringList fixedFontFamilies() {
    // Liberation Mono and Courier New share their metrics, so the listings look alike on
    // Linux and Windows; then the common monospaced fonts of either.
    return {QStringLiteral("Liberation Mono"), QStringLiteral("Courier New"),
            QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Consolas")};
}

bool measuresFixedPitch(const QFont& font) {
    const QFontMetricsF fm(font);
    const qreal width = fm.horizontalAdvance(QLatin1Char('M'));
    for (const QChar c : QStringLiteral("il.W0 ąŁ"))
        if (!qFuzzyCompare(fm.horizontalAdvance(c), width)) return false;
    return width > 0;
}

QFont fixedPitchFont() {
    for (const QString& family : fixedFontFamilies()) {
        QFont font(family);
        font.setPointSizeF(kFontPointSize);
        font.setStyleHint(QFont::TypeWriter);
        if (sameFamily(font, family) && QFontInfo(font).fixedPitch()) return font;
    }
    QFont system = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    system.setPointSizeF(kFontPointSize);
    if (QFontInfo(system).fixedPitch() || measuresFixedPitch(system)) return system;
    // Whatever the platform offers as monospaced.
    QFont any(QStringLiteral("monospace"));
    any.setPointSizeF(kFontPointSize);
    any.setStyleHint(QFont::TypeWriter);
    any.setFixedPitch(true);
    return measuresFixedPitch(any) ? any : system;
}

namespace {
double linear(double channel) {
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}
double luminance(const QColor& c) {
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}
} // namespace

double contrastRatio(const QColor& a, const QColor& b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor readableTextOn(const QColor& background) {
    const QColor black(Qt::black), white(Qt::white);
    return contrastRatio(black, background) >= contrastRatio(white, background) ? black : white;
}

bool useQtPolish(bool polish) {
    QTranslator* t = qtPolish();
    if (!t) return false;
    QCoreApplication::removeTranslator(t);
    if (polish) QCoreApplication::installTranslator(t);
    return true;
}

void applyAppearance(QApplication& app) {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QFont font = app.font();
    if (const QString family = firstInstalled(windowFontFamilies()); !family.isEmpty())
        font.setFamily(family);
    font.setPointSizeF(kFontPointSize);
    QApplication::setFont(font);
    // Disabled texts stay readable (4.5:1 on the window's face); the disabled look comes from
    // the lighter grey and the faded icons.
    QPalette palette = QApplication::style()->standardPalette();
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, kDisabledText);
    // The selection a shade darker than the style's, so that white (and the history's yellow)
    // reads on it at 4.5:1 or better, in a window with the focus or without.
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Highlight, kSelection);
        palette.setColor(group, QPalette::HighlightedText, Qt::white);
    }
    QApplication::setPalette(palette);
    useQtPolish(true);
}

} // namespace qv::gui
