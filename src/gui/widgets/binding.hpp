#pragma once
// Small helpers that move one value between a widget and the settings. The show* functions
// never emit the widget's change signals and leave a widget alone when it already shows the
// value (so the cursor of the edit being typed in stays where it is).
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>

#include <string>
#include <vector>

namespace qv::gui {

inline QString qs(const std::string& s) {
    return QString::fromStdString(s);
}
inline std::string ss(const QString& s) {
    return s.toStdString();
}

inline void showText(QLineEdit* e, const std::string& text) {
    const QString t = qs(text);
    if (e->text() == t) return;
    const QSignalBlocker block(e);
    e->setText(t);
}

inline void showChecked(QAbstractButton* b, bool on) {
    if (b->isChecked() == on) return;
    const QSignalBlocker block(b);
    b->setChecked(on);
}

// A list index; -1 shows no selection (and an empty text).
inline void showIndex(QComboBox* c, int index) {
    if (index >= c->count()) index = -1;
    if (c->currentIndex() == index) return;
    const QSignalBlocker block(c);
    c->setCurrentIndex(index);
}

// Replaces a list's items when they differ.
inline void showItems(QComboBox* c, const std::vector<std::string>& items) {
    bool same = c->count() == int(items.size());
    for (int i = 0; same && i < c->count(); ++i)
        same = c->itemText(i) == qs(items[std::size_t(i)]);
    if (same) return;
    const QSignalBlocker block(c);
    c->clear();
    QStringList list;
    list.reserve(int(items.size()));
    for (const auto& i : items)
        list << qs(i);
    c->addItems(list);
    c->setCurrentIndex(-1);
}

inline void showValue(QSlider* s, int v) {
    if (s->value() == v) return;
    const QSignalBlocker block(s);
    s->setValue(v);
}

// An edit with its length limit and the hint "Długość pola: " + limit.
inline void limitEdit(QLineEdit* e, int maxLength) {
    e->setMaxLength(maxLength);
    e->setToolTip(QStringLiteral("Długość pola: %1").arg(maxLength));
}

} // namespace qv::gui
