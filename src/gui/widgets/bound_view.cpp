#include "gui/widgets/bound_view.hpp"

#include "gui/tabs/tab_layout.hpp"

namespace qv::gui {

namespace {
QStringList itemTexts(const QComboBox* c) {
    QStringList texts;
    for (int i = 0; i < c->count(); ++i)
        texts << c->itemText(i);
    return texts;
}
} // namespace

void BoundView::refresh() {
    for (const auto& show : shows_)
        show();
}

void BoundView::onRefresh(std::function<void()> show) {
    shows_.push_back(std::move(show));
}

void BoundView::edit(const std::function<void(Settings&)>& change) {
    change(settings());
    commitEdit();
}

QLineEdit* BoundView::bindText(QLineEdit* e, SettingRef<std::string> ref, int maxLength) {
    limitEdit(e, maxLength);
    // Every change of the text is an edit, however it came (typing, paste, drop, assistive
    // technology); refresh() shows the setting with the edit's signals blocked.
    connect(e, &QLineEdit::textChanged, this,
            [this, ref](const QString& t) { edit([&](Settings& s) { ref(s) = ss(t); }); });
    onRefresh([this, e, ref] { showText(e, ref(settings())); });
    return e;
}

QComboBox* BoundView::bindIndex(QComboBox* list, SettingRef<int> ref) {
    connect(list, &QComboBox::activated, this,
            [this, ref](int i) { edit([&](Settings& s) { ref(s) = i; }); });
    onRefresh([this, list, ref] { showIndex(list, ref(settings())); });
    return list;
}

QAbstractButton* BoundView::bindFlag(QAbstractButton* box, SettingRef<bool> ref) {
    // Toggled, not clicked: assistive technology toggles a box without a click.
    connect(box, &QAbstractButton::toggled, this,
            [this, ref](bool on) { edit([&](Settings& s) { ref(s) = on; }); });
    onRefresh([this, box, ref] { showChecked(box, ref(settings())); });
    return box;
}

void BoundView::bindRadio(QRadioButton* a, SettingRef<bool> aRef, QRadioButton* b,
                          SettingRef<bool> bRef) {
    // Exclusivity is the settings' rule, so a pair may show neither button chosen.
    a->setAutoExclusive(false);
    b->setAutoExclusive(false);
    // Clicking (or toggling) a radio button always chooses it.
    connect(a, &QAbstractButton::toggled, this,
            [this, aRef, bRef] { edit([&](Settings& s) { setRadio(aRef(s), bRef(s), true); }); });
    connect(b, &QAbstractButton::toggled, this,
            [this, aRef, bRef] { edit([&](Settings& s) { setRadio(bRef(s), aRef(s), true); }); });
    onRefresh([this, a, b, aRef, bRef] {
        showChecked(a, aRef(settings()));
        showChecked(b, bRef(settings()));
    });
}

QSlider* BoundView::bindValue(QSlider* slider, SettingRef<int> ref) {
    connect(slider, &QSlider::valueChanged, this,
            [this, ref](int v) { edit([&](Settings& s) { ref(s) = v; }); });
    onRefresh([this, slider, ref] { showValue(slider, ref(settings())); });
    return slider;
}

QLineEdit* namedEdit(QWidget* parent, const char* name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    return e;
}

QComboBox* namedList(QWidget* parent, const char* name, const std::vector<std::string>& items,
                     int width) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    showItems(c, items);
    // As drawn, or as wide as the widest item needs in the window's font.
    if (width > 0) c->setFixedWidth(comboWidthFor(c, itemTexts(c), width));
    return c;
}

QLabel* namedLabel(QWidget* parent, const char* name, const QString& caption) {
    auto* l = new QLabel(caption, parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

QCheckBox* namedCheck(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QCheckBox(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

QRadioButton* namedRadio(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QRadioButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

} // namespace qv::gui
