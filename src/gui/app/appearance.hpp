#pragma once
// One look on every machine: the Fusion style, a compact sans-serif font with the metrics the
// window's layout was drawn for (Liberation Sans, or Arial, which has the same metrics), a
// fixed-pitch font for the texts that align columns with spaces, and Qt's own dialogs and
// standard buttons in Polish.
#include <QColor>
#include <QFont>
#include <QStringList>

class QApplication;

namespace qv::gui {

// The point size of every text of the program.
inline constexpr double kFontPointSize = 9;
// The text of disabled controls: grey, yet 4.6:1 on the window's face.
inline const QColor kDisabledText{0x6A, 0x6A, 0x6A};
// The selection's background: white reads on it at 5.3:1.
inline const QColor kSelection{0x1F, 0x6F, 0xAE};

// Sets the style, the font and the Polish translation of Qt's own texts.
void applyAppearance(QApplication& app);

// The families tried, in order, for the window's text and for fixed-pitch texts. The first
// family the machine has wins; a machine with none of them keeps the platform's own font.
QStringList windowFontFamilies();
QStringList fixedFontFamilies();

// A font whose fixed pitch is checked: the first family of fixedFontFamilies() the machine has
// and reports fixed-pitch, else the platform's fixed font when its characters are all of one
// width (fontconfig does not mark every monospaced font so), else the platform's fixed font.
QFont fixedPitchFont();
// Whether the characters of font all advance by the same width (measured, not reported).
bool measuresFixedPitch(const QFont& font);

// The contrast of two colours, 1 (same) to 21 (black on white), from their relative luminance.
double contrastRatio(const QColor& a, const QColor& b);
// Black or white, whichever reads better on background (at least 4.6:1 on any colour).
QColor readableTextOn(const QColor& background);

// Qt's own texts (file dialogs, message-box buttons, context menus) in Polish or, with false,
// in Qt's English. Returns whether Polish translations were found: Debian's
// qt6-translations-l10n, or a translations folder beside the program (Windows).
bool useQtPolish(bool polish);

} // namespace qv::gui
