// The window's layout under the font set and the scale the test runs with (FONTCONFIG_FILE
// names a fonts.conf that lists only the set's fonts, QVPROG_FONT_SET names the set,
// QT_SCALE_FACTOR the scale). Every window and every tab is walked in both languages, and every
// visible control is checked: its text fits it (the text's advance in the control's font plus
// the style's margins against the room the style leaves for it), it stays inside its parent and
// clear of its siblings, no tool-bar button overflows into the extension menu, and every text
// reads against its background (contrast at least 4.5:1). A failure names the control.
#include "support/gui_test_support.hpp"

#include "gui/app/appearance.hpp"
#include "gui/app/choice_dialog.hpp"
#include "gui/archive/archive_window.hpp"
#include "gui/device_windows/compare_window.hpp"
#include "gui/device_windows/history_window.hpp"
#include "gui/link/link_window.hpp"
#include "gui/main_window/add_phones_form.hpp"
#include "gui/main_window/memo_form.hpp"
#include "gui/monitor/monitor_window.hpp"
#include "gui/monitor/terminal_window.hpp"
#include "gui/sms/sms_window.hpp"
#include "gui/tabs/table_widgets.hpp"
#include "gui/widgets/gradient_toolbar.hpp"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QSet>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionGroupBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QToolBar>
#include <QToolButton>

#include <cmath>
#include <map>

using namespace qv;
using namespace qv::gui;
using namespace qv::gui::test;

namespace {

// Half a pixel for the rounding of fractional advances at scales other than 1.
constexpr qreal kSlack = 0.5;
constexpr double kMinContrast = 4.5;

// Widgets laid over others on purpose: the monitor's banners over its status group, and its
// alarm-panel and padlock marks over the input lights.
const QRegularExpression
    kOverlays(QStringLiteral("^(labelWait|labelConfig|panelMark\\d+|lockMark\\d+)$"));

QString withoutMnemonics(QString text) {
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return text;
}

QString shownText(const QWidget* w) {
    if (auto* l = qobject_cast<const QLabel*>(w)) return l->text();
    if (auto* b = qobject_cast<const QAbstractButton*>(w)) return withoutMnemonics(b->text());
    if (auto* g = qobject_cast<const QGroupBox*>(w)) return g->title();
    if (auto* c = qobject_cast<const QComboBox*>(w)) return c->currentText();
    if (auto* e = qobject_cast<const QLineEdit*>(w)) return e->text();
    return {};
}

bool ownName(const QWidget* w) {
    return !w->objectName().isEmpty() && !w->objectName().startsWith(QStringLiteral("qt_"));
}

// A control's objectName, or its class and text under the nearest named ancestor.
QString nameOf(const QWidget* w) {
    if (ownName(w)) return w->objectName();
    QString what = QString::fromLatin1(w->metaObject()->className());
    if (const QString t = shownText(w).simplified(); !t.isEmpty())
        what += QStringLiteral(" \"") + t.left(48) + QLatin1Char('"');
    for (const QWidget* p = w->parentWidget(); p; p = p->parentWidget())
        if (ownName(p)) return p->objectName() + QLatin1Char('/') + what;
    return what;
}

double luminance(const QColor& c) {
    const auto lin = [](double v) {
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * lin(c.redF()) + 0.7152 * lin(c.greenF()) + 0.0722 * lin(c.blueF());
}

double contrast(const QColor& a, const QColor& b) {
    const double x = luminance(a), y = luminance(b);
    return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

// Widgets whose children are the toolkit's own parts, arranged by it.
bool keepsOwnParts(const QWidget* w) {
    return qobject_cast<const QComboBox*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
           qobject_cast<const QLineEdit*>(w) || qobject_cast<const QTabBar*>(w) ||
           qobject_cast<const QTabWidget*>(w) || qobject_cast<const QToolBar*>(w) ||
           qobject_cast<const QAbstractScrollArea*>(w) || qobject_cast<const QScrollBar*>(w) ||
           qobject_cast<const QProgressBar*>(w) || qobject_cast<const QMessageBox*>(w);
}

// A part of a toolkit widget (a list's drop button, a scroll bar), not one of the program's
// controls; the pages of a tab widget and the buttons of a tool bar are the program's.
bool isToolkitPart(const QWidget* w, const QWidget* top) {
    for (const QWidget* p = w->parentWidget(); p && p != top->parentWidget(); p = p->parentWidget())
        if (keepsOwnParts(p) && !qobject_cast<const QTabWidget*>(p) &&
            !qobject_cast<const QToolBar*>(p))
            return true;
    return w->objectName().startsWith(QStringLiteral("qt_")) &&
           !qobject_cast<const QStackedWidget*>(w);
}

bool isLine(const QWidget* w) {
    auto* f = qobject_cast<const QFrame*>(w);
    return f && (f->frameShape() == QFrame::HLine || f->frameShape() == QFrame::VLine) &&
           !qobject_cast<const QLabel*>(w);
}

class LayoutCheck {
  public:
    // Checks every visible control of the window top; where says what state it is in.
    void window(QWidget* top, const QString& where);

    QStringList problems;
    // Controls checked per window (each control counted once), and checks made. A window
    // walked again in another program instance is counted under its own name + instance.
    std::map<QString, QSet<const QWidget*>> controls;
    QString instance;
    int checks = 0;

  private:
    void fail(const QWidget* w, const QString& what) {
        problems << where_ + QStringLiteral(": ") + nameOf(w) + QStringLiteral(": ") + what;
    }
    void fits(const QWidget* w, qreal needed, qreal room, const QString& text) {
        ++checks;
        if (needed > room + kSlack)
            fail(w, QStringLiteral("\"%1\" needs %2 px, has %3")
                        .arg(text.simplified().left(60))
                        .arg(needed, 0, 'f', 1)
                        .arg(room, 0, 'f', 1));
    }
    void label(const QLabel* l);
    void checkButton(const QAbstractButton* b);
    void combo(const QComboBox* c);
    void edit(const QLineEdit* e);
    void group(const QGroupBox* g);
    void tabs(const QTabWidget* t);
    void header(const QHeaderView* h);
    void toolBar(const QToolBar* bar);
    void children(const QWidget* parent);
    void readable(const QWidget* w);
    QColor background(const QWidget* w, QPalette::ColorGroup group) const;

    QString where_;
    const QWidget* top_ = nullptr;
};

void LayoutCheck::window(QWidget* top, const QString& where) {
    where_ = where;
    top_ = top;
    auto& seen = controls[top->objectName() + instance];
    QList<QWidget*> all = top->findChildren<QWidget*>();
    all.prepend(top);
    for (QWidget* w : all) {
        if (!w->isVisible() || (w != top && w->window() != top) || isToolkitPart(w, top)) continue;
        seen.insert(w);
        if (auto* l = qobject_cast<QLabel*>(w)) label(l);
        if (auto* b = qobject_cast<QAbstractButton*>(w)) checkButton(b);
        if (auto* c = qobject_cast<QComboBox*>(w)) combo(c);
        if (auto* e = qobject_cast<QLineEdit*>(w)) edit(e);
        if (auto* g = qobject_cast<QGroupBox*>(w)) group(g);
        if (auto* t = qobject_cast<QTabWidget*>(w)) tabs(t);
        if (auto* v = qobject_cast<QAbstractItemView*>(w)) {
            if (auto* tv = qobject_cast<QTableView*>(v)) header(tv->horizontalHeader());
        }
        if (auto* bar = qobject_cast<QToolBar*>(w)) toolBar(bar);
        if (!keepsOwnParts(w)) children(w);
        readable(w);
    }
    // The window itself stays on its screen.
    ++checks;
    if (const QScreen* screen = top->screen();
        screen && !screen->availableGeometry().contains(top->frameGeometry()))
        fail(top, QStringLiteral("%1x%2 does not fit the %3x%4 screen")
                      .arg(top->frameGeometry().width())
                      .arg(top->frameGeometry().height())
                      .arg(screen->availableGeometry().width())
                      .arg(screen->availableGeometry().height()));
}

void LayoutCheck::label(const QLabel* l) {
    if (l->text().isEmpty() || !l->pixmap().isNull()) return;
    const QFontMetricsF fm(l->font());
    QRectF room = l->contentsRect();
    room.adjust(l->margin(), l->margin(), -l->margin(), -l->margin());
    int indent = l->indent();
    if (indent < 0)
        indent = l->frameWidth() > 0 ? int(fm.horizontalAdvance(QLatin1Char('x')) / 2) : 0;
    if (l->alignment() & (Qt::AlignLeft | Qt::AlignRight)) room.setWidth(room.width() - indent);
    if (l->alignment() & (Qt::AlignTop | Qt::AlignBottom)) room.setHeight(room.height() - indent);
    if (l->wordWrap()) {
        const int h = l->heightForWidth(l->width());
        fits(l, h, l->height(), l->text() + QStringLiteral(" (height)"));
        return;
    }
    qreal width = 0;
    int lines = 1;
    const bool rich = l->textFormat() == Qt::RichText ||
                      (l->textFormat() == Qt::AutoText && Qt::mightBeRichText(l->text()));
    if (rich) {
        QTextDocument doc;
        doc.setDefaultFont(l->font());
        doc.setDocumentMargin(0);
        doc.setHtml(l->text());
        width = doc.idealWidth();
        lines = doc.blockCount();
    } else {
        const QString text = l->buddy() ? withoutMnemonics(l->text()) : l->text();
        const QStringList split = text.split(QLatin1Char('\n'));
        lines = int(split.size());
        for (const QString& line : split)
            width = std::max(width, fm.horizontalAdvance(line));
    }
    fits(l, width, room.width(), l->text());
    fits(l, (lines - 1) * fm.lineSpacing() + fm.height(), room.height(),
         l->text() + QStringLiteral(" (height)"));
}

void LayoutCheck::checkButton(const QAbstractButton* b) {
    const QString text = withoutMnemonics(b->text());
    if (text.isEmpty()) return;
    const QFontMetricsF fm(b->font());
    if (auto* t = qobject_cast<const QToolButton*>(b)) {
        if (t->toolButtonStyle() == Qt::ToolButtonIconOnly) return;
        // The style's size for the caption and the icon, margins included.
        fits(b, t->sizeHint().width(), t->width(), text);
        return;
    }
    QStyleOptionButton opt;
    opt.initFrom(b);
    opt.text = b->text();
    opt.icon = b->icon();
    opt.iconSize = b->iconSize();
    const qreal icon = b->icon().isNull() ? 0 : b->iconSize().width() + 4;
    QStyle::SubElement contents = QStyle::SE_PushButtonContents;
    qreal margins = b->style()->pixelMetric(QStyle::PM_ButtonMargin, &opt, b);
    if (qobject_cast<const QCheckBox*>(b)) {
        contents = QStyle::SE_CheckBoxContents;
        margins = 0;
    } else if (qobject_cast<const QRadioButton*>(b)) {
        contents = QStyle::SE_RadioButtonContents;
        margins = 0;
    }
    const QRect room = b->style()->subElementRect(contents, &opt, b);
    fits(b, fm.horizontalAdvance(text) + icon + margins, room.width(), text);
    fits(b, fm.height(), room.height(), text + QStringLiteral(" (height)"));
}

void LayoutCheck::combo(const QComboBox* c) {
    if (c->isEditable() || c->count() == 0) return;
    QStyleOptionComboBox opt;
    opt.initFrom(c);
    opt.frame = c->hasFrame();
    const QRect field =
        c->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, c);
    const QFontMetricsF fm(c->font());
    // Every item, not only the one shown: each of them may be chosen.
    QString widest;
    for (int i = 0; i < c->count(); ++i)
        if (fm.horizontalAdvance(c->itemText(i)) > fm.horizontalAdvance(widest))
            widest = c->itemText(i);
    fits(c, fm.horizontalAdvance(widest) + 2, field.width(), widest);
}

void LayoutCheck::edit(const QLineEdit* e) {
    // Edits scroll what is typed in them; a read-only value must be seen whole.
    if (!e->isReadOnly() || e->text().isEmpty()) return;
    const QFontMetricsF fm(e->font());
    const QMargins m = e->textMargins();
    const int frame = e->hasFrame() ? e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) : 0;
    fits(e, fm.horizontalAdvance(e->text()) + 4, e->width() - 2 * frame - m.left() - m.right(),
         e->text());
}

void LayoutCheck::group(const QGroupBox* g) {
    if (g->title().isEmpty()) return;
    QStyleOptionGroupBox opt;
    opt.initFrom(g);
    opt.text = g->title();
    opt.lineWidth = 1;
    opt.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    opt.textAlignment = g->alignment();
    const QRect label =
        g->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, g);
    // As far from the right edge as the caption starts from the left.
    fits(g, label.right() + 1 + label.left(), g->width(), g->title());
}

void LayoutCheck::tabs(const QTabWidget* t) {
    const QTabBar* bar = t->tabBar();
    ++checks;
    if (bar->sizeHint().width() > bar->width())
        fail(t, QStringLiteral("the tabs need %1 px, have %2")
                    .arg(bar->sizeHint().width())
                    .arg(bar->width()));
}

void LayoutCheck::header(const QHeaderView* h) {
    if (!h->isVisible() || !h->model()) return;
    QFont font = h->font();
    const QFontMetricsF fm(font);
    const int margin = h->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, h);
    for (int s = 0; s < h->count(); ++s) {
        if (h->isSectionHidden(s)) continue;
        const QString text = h->model()->headerData(s, h->orientation()).toString();
        if (text.isEmpty()) continue;
        fits(h, fm.horizontalAdvance(text) + 2 * margin, h->sectionSize(s),
             QStringLiteral("column ") + text);
    }
}

void LayoutCheck::toolBar(const QToolBar* bar) {
    for (QAction* a : bar->actions()) {
        QWidget* w = bar->widgetForAction(a);
        if (!a->isVisible() || !w) continue;
        ++checks;
        if (!w->isVisible())
            fail(bar, nameOf(w) + QStringLiteral(" overflows into the extension menu"));
    }
    if (auto* more = bar->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"));
        more && more->isVisible())
        fail(bar, QStringLiteral("shows its extension button"));
}

void LayoutCheck::children(const QWidget* parent) {
    QList<const QWidget*> kids;
    for (const QObject* o : parent->children()) {
        auto* w = qobject_cast<const QWidget*>(o);
        if (w && !w->isWindow() && w->isVisible()) kids << w;
    }
    const QRect inside = parent->rect();
    for (int i = 0; i < kids.size(); ++i) {
        const QWidget* a = kids[i];
        ++checks;
        if (!inside.contains(a->geometry()))
            fail(a, QStringLiteral("runs past the edge of %1 (%2,%3 %4x%5 in %6x%7)")
                        .arg(nameOf(parent))
                        .arg(a->x())
                        .arg(a->y())
                        .arg(a->width())
                        .arg(a->height())
                        .arg(inside.width())
                        .arg(inside.height()));
        for (int j = i + 1; j < kids.size(); ++j) {
            const QWidget* b = kids[j];
            if (isLine(a) && isLine(b)) continue;
            if (kOverlays.match(a->objectName()).hasMatch() ||
                kOverlays.match(b->objectName()).hasMatch())
                continue;
            ++checks;
            const QRect both = a->geometry() & b->geometry();
            if (!both.isEmpty())
                fail(a, QStringLiteral("overlaps %1 by %2x%3 px")
                            .arg(nameOf(b))
                            .arg(both.width())
                            .arg(both.height()));
        }
    }
}

QColor LayoutCheck::background(const QWidget* w, QPalette::ColorGroup group) const {
    for (const QWidget* p = w; p; p = p->parentWidget()) {
        if (auto* bar = qobject_cast<const GradientToolBar*>(p)) {
            // The darkest row under the text: near the widget's bottom.
            const int bottom = w->mapTo(bar, QPoint(0, w->height() - 4)).y();
            return gradientRowColour(std::clamp(bottom, 1, bar->height()));
        }
        if (p->autoFillBackground() || p->isWindow())
            return p->palette().color(group, p->backgroundRole());
        if (p == top_) break;
    }
    return top_->palette().color(group, QPalette::Window);
}

void LayoutCheck::readable(const QWidget* w) {
    if (shownText(w).trimmed().isEmpty() || qobject_cast<const QTabBar*>(w)) return;
    const QPalette::ColorGroup group = w->isEnabled() ? QPalette::Active : QPalette::Disabled;
    QColor fg = w->palette().color(group, w->foregroundRole());
    QColor bg = background(w, group);
    if (qobject_cast<const QLineEdit*>(w) ||
        (qobject_cast<const QComboBox*>(w) && static_cast<const QComboBox*>(w)->isEditable())) {
        fg = w->palette().color(group, QPalette::Text);
        bg = w->palette().color(group, QPalette::Base);
    } else if (qobject_cast<const QComboBox*>(w) || qobject_cast<const QPushButton*>(w)) {
        fg = w->palette().color(group, QPalette::ButtonText);
        bg = w->palette().color(group, QPalette::Button);
    }
    ++checks;
    const double ratio = contrast(fg, bg);
    if (ratio < kMinContrast)
        fail(w, QStringLiteral("contrast %1:1 (%2 on %3)")
                    .arg(ratio, 0, 'f', 2)
                    .arg(fg.name(), bg.name()));
}

// Lets the layouts settle after a change.
void settle(QWidget* w) {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCoreApplication::processEvents();
    }
    if (w->isVisible()) QVERIFY(QTest::qWaitForWindowExposed(w));
}

// Widgets' places in their window, to see what moved.
std::map<const QWidget*, QRect> places(QWidget* top) {
    std::map<const QWidget*, QRect> out;
    for (QWidget* w : top->findChildren<QWidget*>())
        if (w->isVisible() && !isToolkitPart(w, top))
            out[w] = QRect(w->mapTo(top, QPoint(0, 0)), w->size());
    return out;
}

QStringList moved(const std::map<const QWidget*, QRect>& before,
                  const std::map<const QWidget*, QRect>& after,
                  const std::function<bool(const QWidget*)>& mayMove = {}) {
    QStringList out;
    for (const auto& [w, r] : before) {
        const auto it = after.find(w);
        if (it == after.end() || it->second == r || (mayMove && mayMove(w))) continue;
        out << QStringLiteral("%1 from %2,%3 %4x%5 to %6,%7 %8x%9")
                   .arg(nameOf(w))
                   .arg(r.x())
                   .arg(r.y())
                   .arg(r.width())
                   .arg(r.height())
                   .arg(it->second.x())
                   .arg(it->second.y())
                   .arg(it->second.width())
                   .arg(it->second.height());
    }
    return out;
}

void pick(QComboBox* list, int index) {
    list->setCurrentIndex(index);
    Q_EMIT list->activated(index);
}

// A few seconds of a running module: status lines, events (a DTMF report among them), a
// reset cause and an incoming call.
const char* const kMonitorLines[] = {
    "AT+QVXS=0;7A;7D;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;FFF6;0;0;0;2",
    "AT+QVXS=0;0;0;0;0;0;1;1F;4;8;0;7FFF;0;7FFF;111111111111111;C6;02;5A0;FFF6;E1",
    "AT+QVXH=00030000001805110C22320A017FFF01A08700",
    "AT+QVXH=00030000001805110C22320AFF1130010100030000",
    "AT+QVXR=F1",
    "+CLIP: \"123456789\",129",
};

} // namespace

class LayoutCheckTest : public QObject {
    Q_OBJECT
  private:
    LayoutCheck check_;
    QString variant_;
    std::map<QString, QSize> sizes_; // the main window's size on each tab, per language

    void verifyClean(const QString& what) {
        const QStringList problems = check_.problems;
        check_.problems.clear();
        for (const QString& problem : problems)
            qWarning("%s", qPrintable(problem));
        QVERIFY2(
            problems.isEmpty(),
            qPrintable(
                QStringLiteral("%1: %2 problems, listed above").arg(what).arg(problems.size())));
    }

    // Every visible tab of the main window, in the language shown.
    void walkTabs(Program& p, const QString& state) {
        auto* pages = p.find<QTabWidget>(QStringLiteral("PageControl"));
        const QString language =
            p.find<QToolButton>(QStringLiteral("langButton"))->text() == QStringLiteral("English")
                ? QStringLiteral("pl")
                : QStringLiteral("en");
        for (int i = 0; i < pages->count(); ++i) {
            if (!pages->isTabVisible(i)) continue;
            pages->setCurrentIndex(i);
            settle(p.window.get());
            if (!p.ctx->doc.serviceMode())
                sizes_[language + QLatin1Char(' ') + pages->widget(i)->objectName()] =
                    p.window->size();
            check_.window(p.window.get(),
                          QStringLiteral("%1 %2 %3 %4")
                              .arg(variant_, language, pages->widget(i)->objectName(), state));
        }
    }

    // Shows a secondary window on its own (not modally), checks it and hides it again.
    void walkDialog(QWidget* w, const QString& state = QString()) {
        QVERIFY(w);
        w->show();
        settle(w);
        check_.window(w, variant_ + QLatin1Char(' ') + w->objectName() + QLatin1Char(' ') + state);
        w->hide();
    }

  private Q_SLOTS:
    void initTestCase() {
        const QString set = qEnvironmentVariable("QVPROG_FONT_SET");
        variant_ = set + QStringLiteral(" x") + qEnvironmentVariable("QT_SCALE_FACTOR", "1");
        const QString family = QFontInfo(QApplication::font()).family();
        const QString fixed = QFontInfo(fixedPitchFont()).family();
        qInfo("font set %s: window font %s, fixed-pitch font %s, screen %dx%d", qPrintable(set),
              qPrintable(family), qPrintable(fixed),
              QGuiApplication::primaryScreen()->availableGeometry().width(),
              QGuiApplication::primaryScreen()->availableGeometry().height());
        // The font set must be the one the test stands for, not a fallback of the machine.
        QStringList families = QFontDatabase::families();
        families.removeIf([](const QString& f) {
            return f == QStringLiteral("Monospace") || f == QStringLiteral("Sans Serif") ||
                   f == QStringLiteral("Serif");
        });
        QVERIFY2(families.size() <= 2,
                 qPrintable(QStringLiteral("FONTCONFIG_FILE does not limit the fonts (%1): run "
                                           "through ctest")
                                .arg(families.join(QStringLiteral(", ")))));
        if (set == QStringLiteral("liberation")) {
            QVERIFY2(QFontDatabase::families().contains(QStringLiteral("Liberation Sans")),
                     "no Liberation Sans: install fonts-liberation2 (scripts/setup.sh)");
            QCOMPARE(family, QStringLiteral("Liberation Sans"));
            QCOMPARE(fixed, QStringLiteral("Liberation Mono"));
        } else if (set == QStringLiteral("dejavu")) {
            QVERIFY2(QFontDatabase::families().contains(QStringLiteral("DejaVu Sans")),
                     "no DejaVu Sans: install fonts-dejavu-core (scripts/setup.sh)");
            QCOMPARE(family, QStringLiteral("DejaVu Sans"));
            QCOMPARE(fixed, QStringLiteral("DejaVu Sans Mono"));
        } else if (set == QStringLiteral("noto")) {
            // None of the known monospaced fonts, and one fontconfig does not mark
            // fixed-pitch: it is measured instead.
            QCOMPARE(family, QStringLiteral("DejaVu Sans"));
            QCOMPARE(fixed, QStringLiteral("Noto Sans Mono"));
            QVERIFY(!QFontInfo(fixedPitchFont()).fixedPitch());
        } else {
            QSKIP("QVPROG_FONT_SET names no font set: run through ctest");
        }
        QVERIFY(measuresFixedPitch(fixedPitchFont()));
        QVERIFY(!measuresFixedPitch(QApplication::font()));
    }

    void mainWindowEveryTabInBothLanguages_data() {
        QTest::addColumn<bool>("serviceMode");
        QTest::newRow("user") << false;
        QTest::newRow("service") << true; // the service page too
    }

    void mainWindowEveryTabInBothLanguages() {
        QFETCH(bool, serviceMode);
        Program p(QStringLiteral("sim"), serviceMode);
        check_.instance = serviceMode ? QStringLiteral(" in service mode") : QString();
        for (int language = 0; language < 2; ++language) {
            walkTabs(p, QStringLiteral("defaults"));
            // Everything the dependent controls can show: the alarm panel, the siren, the
            // parameter lists, the status rows.
            Settings& s = p.ctx->settings();
            s.useZone = true;
            s.output(1).type = 1;
            applyOutputTypeRule(s, 1);
            s.output(2).type = 4;
            applyOutputTypeRule(s, 2);
            s.output(3).type = 5;
            applyOutputTypeRule(s, 3);
            for (int slot : {2, 6, 15})
                s.input(slot).status = true;
            s.analog3Enable = true;
            Q_EMIT p.ctx->settingsReplaced();
            walkTabs(p, QStringLiteral("all shown"));
            p.find<QToolButton>(QStringLiteral("newConfig"))->click(); // back to the defaults
            p.find<QToolButton>(QStringLiteral("langButton"))->click();
        }
        check_.instance.clear();
        verifyClean(QStringLiteral("main window"));
    }

    void secondaryWindows() {
        Program p;
        for (const char* name :
             {"TsettingsWindow", "TpasswordForm", "TFormAdd4kPhones", "TFormAddPhones",
              "TFormSMSDescription", "TFormCounter", "TfirmwareForm"}) {
            QWidget* w = p.window->findChild<QWidget*>(QString::fromLatin1(name));
            QVERIFY2(w, name);
            walkDialog(w);
        }
        // The configuration as SMS commands, and the application log.
        MemoForm* memo = p.window->memoForm();
        QTimer::singleShot(0, memo, [memo] { memo->done(0); });
        p.window->smsListingClick();
        walkDialog(memo, QStringLiteral("CFG->SMS"));
        p.window->showLogWindow();
        walkDialog(p.window->findChild<QWidget*>(QStringLiteral("AppLogWindow")));
        // The choice of an adapter at the start.
        ChoiceDialog choice(
            QStringLiteral("Port COM3 nie jest podłączony. Podłączone adaptery - wybierz jeden:"),
            {QStringLiteral("/dev/ttyUSB0: adapter FTDI FT232R (USB 0403:6001), producent FTDI, "
                            "produkt FT232R USB UART, nr seryjny A50285BI, sterownik ftdi_sio"),
             QStringLiteral("/dev/ttyUSB1: adapter WCH CH340 (USB 1a86:7523), produkt "
                            "USB Serial, sterownik ch341")},
            p.window.get());
        walkDialog(&choice);
        verifyClean(QStringLiteral("secondary windows"));
    }

    void smsWindowWithItsCommands() {
        Program p;
        p.window->smsSendClick();
        SmsWindow* sms = p.window->smsWindow();
        QVERIFY(sms);
        sms->setArchivePath(p.path(QStringLiteral("archiwum.sqlite")).toStdString());
        sms->setNumber(QStringLiteral("+48600100200"));
        sms->setBase(SmsWindow::BaseKind::whole, QString());
        QVERIFY(sms->prepare());
        walkDialog(sms, QStringLiteral("whole configuration"));
        verifyClean(QStringLiteral("SMS window"));
    }

    void linkAndHistoryWindowsAfterSessions() {
        Program p;
        // A read: the link window's log as the session left it; then the event history.
        QString log;
        whenModal(QStringLiteral("TSerialCommForm"), [this](QDialog* d) {
            auto* finish = d->findChild<QToolButton*>(QStringLiteral("ButtonFinish"));
            QVERIFY(QTest::qWaitFor([&] { return finish->isEnabled(); }, 30000));
            // The longest line a session writes: the firmware platform refusal.
            auto* memo = d->findChild<QPlainTextEdit*>(QStringLiteral("Memo1"));
            memo->appendPlainText(QStringLiteral(
                "Błąd: plik firmware jest przeznaczony dla innej platformy sprzętowej niż "
                "podłączone urządzenie (urządzenie: SOLVO5-DTMF-A, plik: SOLVO5-DTMF-B)"));
            settle(d);
            check_.window(d, variant_ + QStringLiteral(" link window after a read"));
            ++check_.checks;
            if (memo->horizontalScrollBar()->maximum() > 0)
                check_.problems << QStringLiteral("link window: Memo1 cuts long lines");
            finish->click();
        });
        p.window->readButtonClick();

        HistoryWindow* history = p.window->historyWindow();
        whenModal(QStringLiteral("ThistoryForm"), [this](QDialog* d) {
            finishLinkSessionWhenDone();
            d->findChild<QToolButton*>(QStringLiteral("ReadBufferButton"))->click();
            settle(d);
            check_.window(d, variant_ + QStringLiteral(" history after a read"));
            d->done(0);
        });
        history->exec();

        // "Porównaj" with the module.
        finishLinkSessionWhenDone();
        p.window->compareWithModuleClick();
        CompareWindow* compare = p.window->compareWindow();
        QVERIFY(compare);
        settle(compare);
        check_.window(compare, variant_ + QStringLiteral(" comparison"));
        compare->close();
        verifyClean(QStringLiteral("link, history and comparison windows"));
    }

    void archiveWindowAndWriteReview() {
        Program p;
        // A read keeps the module's configuration: the archive lists it, and a write reviews
        // against it.
        finishLinkSessionWhenDone();
        p.window->readButtonClick();
        p.window->archiveButtonClick();
        QWidget* archive = p.window->archiveWindow();
        QVERIFY(archive);
        settle(archive);
        check_.window(archive, variant_ + QStringLiteral(" archive window"));
        archive->hide();
        p.ctx->settings().object = "4321";
        p.ctx->settings().objectName = "Magazyn główny przy ulicy Długiej";
        whenModal(QStringLiteral("TWriteReviewForm"), [this](QDialog* d) {
            settle(d);
            check_.window(d, variant_ + QStringLiteral(" write review"));
            d->reject();
        });
        p.window->writeButtonClick();
        verifyClean(QStringLiteral("archive window and write review"));
    }

    void monitorAndTerminalSideBySide() {
        Program p(QStringLiteral("sim"), true);
        bool overlapping = true;
        whenModal(QStringLiteral("TShowForm"), [&](QDialog* d) {
            auto* monitor = static_cast<MonitorWindow*>(d);
            for (const char* line : kMonitorLines)
                monitor->receiveBytes(QByteArray(line) + "\r\n");
            monitor->refreshView();
            settle(monitor);
            check_.window(monitor, variant_ + QStringLiteral(" monitor"));
            // The event list shows the DTMF report whole, on one line.
            auto* events = monitor->findChild<QPlainTextEdit*>(QStringLiteral("MemoHistory"));
            QVERIFY(events);
            const QTextBlock dtmf = events->document()->find(QStringLiteral("DTMF")).block();
            QVERIFY(dtmf.isValid());
            ++check_.checks;
            if (dtmf.layout()->lineCount() != 1)
                check_.problems << QStringLiteral("MemoHistory: the DTMF report takes %1 lines")
                                       .arg(dtmf.layout()->lineCount());
            TerminalWindow* terminal = monitor->terminal();
            settle(terminal);
            check_.window(terminal, variant_ + QStringLiteral(" terminal"));
            overlapping = terminal->frameGeometry().intersects(monitor->frameGeometry());
            // Every background the waiting banner fades through.
            auto* banner = monitor->findChild<QLabel*>(QStringLiteral("labelWait"));
            for (int s = 0; s < 128; ++s) {
                const QColor bg(2 * s % 256, (250 - 2 * s + 256) % 256, 0);
                ++check_.checks;
                if (contrast(readableTextOn(bg), bg) < kMinContrast)
                    check_.problems
                        << QStringLiteral("labelWait: no readable text on ") + bg.name();
            }
            QVERIFY(banner);
            walkDialog(monitor->findChild<QWidget*>(QStringLiteral("TresetsForm")));
            // The trends in place of the values, with the replay controls shown.
            monitor->showTrends(true);
            monitor->findChild<QWidget*>(QStringLiteral("StatusBar1"))->hide();
            monitor->findChild<QWidget*>(QStringLiteral("replayBar"))->show();
            monitor->refreshView();
            settle(monitor);
            check_.window(monitor, variant_ + QStringLiteral(" monitor trends"));
            monitor->findChild<QWidget*>(QStringLiteral("replayBar"))->hide();
            monitor->findChild<QWidget*>(QStringLiteral("StatusBar1"))->show();
            monitor->showTrends(false);
            monitor->done(0);
        });
        p.window->monitorButtonClick();
        verifyClean(QStringLiteral("monitor"));
        // On a screen 1366 pixels wide or more the terminal does not cover the monitor.
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        if (screen.width() >= 1366) QVERIFY2(!overlapping, "the terminal covers the monitor");
    }

    // Showing or hiding a dependent control leaves the controls around it where they are.
    void dependentControlsMoveNothing() {
        Program p;
        auto* pages = p.find<QTabWidget>(QStringLiteral("PageControl"));
        QWidget* top = p.window.get();
        // The status bar's first tick (a moment after the window shows) sizes the clock panel:
        // the places are taken after it.
        QTRY_VERIFY_WITH_TIMEOUT(!p.find<QLabel>(QStringLiteral("StatusPanel1"))->text().isEmpty(),
                                 kPatienceMs);

        pages->setCurrentWidget(p.find<QWidget>(QStringLiteral("TabParametry")));
        settle(top);
        auto before = places(top);
        p.find<QCheckBox>(QStringLiteral("fENABLE_ANY_PHONE"))->click();
        settle(top);
        QStringList m = moved(before, places(top));
        QVERIFY2(m.isEmpty(), qPrintable(m.join(QStringLiteral("; "))));

        pages->setCurrentWidget(p.find<QWidget>(QStringLiteral("TabCentralka")));
        settle(top);
        QWidget* outputs = p.find<QWidget>(QStringLiteral("GroupOutputs"));
        // Inside the outputs group the siren panel appears between output 1 and output 2.
        const auto belowSiren = [outputs](const QWidget* w) {
            return outputs->isAncestorOf(w) && !w->objectName().endsWith(QLatin1Char('1'));
        };
        before = places(top);
        pick(p.find<QComboBox>(QStringLiteral("fOUTPUT_TYPE1")), 1); // "Sygnalizator"
        settle(top);
        m = moved(before, places(top), belowSiren);
        QVERIFY2(m.isEmpty(), qPrintable(m.join(QStringLiteral("; "))));
        before = places(top);
        pick(p.find<QComboBox>(QStringLiteral("fOUTPUT_TYPE2")), 5); // with a parameter
        pick(p.find<QComboBox>(QStringLiteral("fOUTPUT_TYPE1")), 4);
        settle(top);
        m = moved(before, places(top), belowSiren);
        QVERIFY2(m.isEmpty(), qPrintable(m.join(QStringLiteral("; "))));
        before = places(top);
        p.find<QToolButton>(QStringLiteral("centralkaButton"))->click();
        settle(top);
        m = moved(before, places(top));
        QVERIFY2(m.isEmpty(), qPrintable(m.join(QStringLiteral("; "))));
    }

    // Qt's own dialogs and buttons speak Polish; "Język" switches the captions only.
    void qtDialogsStayPolishInBothLanguages() {
        Program p;
        const auto cancelText = [] {
            QMessageBox box(QMessageBox::Question, QString(), QStringLiteral("?"),
                            QMessageBox::Ok | QMessageBox::Cancel);
            return box.button(QMessageBox::Cancel)->text();
        };
        QCOMPARE(cancelText(), QStringLiteral("Anuluj"));
        QFileDialog dialog(p.window.get());
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        QVERIFY(dialog.findChild<QLabel*>(QStringLiteral("lookInLabel")));
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("lookInLabel"))->text(),
                 QCoreApplication::translate("QFileDialog", "Look in:"));
        QVERIFY(dialog.findChild<QLabel*>(QStringLiteral("lookInLabel"))->text() !=
                QStringLiteral("Look in:"));
        p.find<QToolButton>(QStringLiteral("langButton"))->click();
        QCOMPARE(p.find<QToolButton>(QStringLiteral("writeButton"))->text(),
                 QStringLiteral("Write"));
        QCOMPARE(cancelText(), QStringLiteral("Anuluj"));
        p.find<QToolButton>(QStringLiteral("langButton"))->click();
        QCOMPARE(cancelText(), QStringLiteral("Anuluj"));
    }

    // Selected text reads on the selection: white in lists and edits, yellow in the history.
    void selectionReads() {
        const QPalette pal = QApplication::palette();
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
            const QColor selection = pal.color(group, QPalette::Highlight);
            QVERIFY(contrast(pal.color(group, QPalette::HighlightedText), selection) >=
                    kMinContrast);
            QVERIFY(contrast(QColor(Qt::yellow), selection) >= kMinContrast);
        }
    }

    void columnPlanGrowsOnlyWhatNeedsIt() {
        ColumnPlan plan;
        const int a = plan.add(4, 70, 60);   // room enough
        const int b = plan.add(80, 40, 50);  // 10 short
        const int c = plan.add(130, 30, 31); // 1 short
        QCOMPARE(plan.left(a), 4);
        QCOMPARE(plan.width(a), 70);
        QCOMPARE(plan.left(b), 80);
        QCOMPARE(plan.width(b), 54);        // with a little air
        QCOMPARE(plan.at(b, 90), 97);       // centred in what it gained
        QCOMPARE(plan.at(b, 90, true), 90); // or kept at its left
        QCOMPARE(plan.left(c), 144);
        QCOMPARE(plan.shift(c), 14);
        QCOMPARE(plan.grown(), 19);
    }

    void cleanupTestCase() {
        if (check_.controls.empty()) return;
        QStringList figures;
        int total = 0;
        for (const auto& [window, seen] : check_.controls) {
            figures << QStringLiteral("%1 %2").arg(window).arg(seen.size());
            total += int(seen.size());
        }
        qInfo("%s: %d controls in %d windows, %d checks; per window: %s", qPrintable(variant_),
              total, int(check_.controls.size()), check_.checks,
              qPrintable(figures.join(QStringLiteral(", "))));
        QStringList sizes;
        for (const auto& [tab, size] : sizes_)
            sizes << QStringLiteral("%1 %2x%3").arg(tab).arg(size.width()).arg(size.height());
        qInfo("main window: %s", qPrintable(sizes.join(QStringLiteral(", "))));
    }
};

QVPROG_GUI_TEST_MAIN(LayoutCheckTest)
#include "layout_check.moc"
