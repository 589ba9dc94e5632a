#include "gui/app/accessibility.hpp"

#include "gui/widgets/binding.hpp"
#include "gui/widgets/clickable_label.hpp"
#include "tools/setting_display.hpp"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QToolButton>

#include <map>

namespace qv::gui {

namespace {

// A caption as a screen reader reads it: without its mnemonic marks and padding blanks.
QString spoken(const QString& caption) {
    QString out;
    out.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && i + 1 < caption.size()) ++i;
        out += caption[i];
    }
    return out.simplified();
}

QString shortcutText(const QKeySequence& keys) {
    return keys.toString(QKeySequence::NativeText);
}

// Runs action after the caller has its answer: an action that opens a modal window would
// otherwise hold assistive technology until that window closed.
template <class F> void later(QObject* context, F action) {
    QMetaObject::invokeMethod(context, std::move(action), Qt::QueuedConnection);
}

// A push or tool button whose press runs once the accessibility call has returned; a
// checkable one toggles at once, as Qt's own button does.
class ButtonAccessible : public QAccessibleWidget {
  public:
    ButtonAccessible(QAbstractButton* b, QAccessible::Role role) : QAccessibleWidget(b, role) {
        addControllingSignal(b->isCheckable() ? QStringLiteral("toggled(bool)")
                                              : QStringLiteral("clicked(bool)"));
    }

    QAbstractButton* button() const { return static_cast<QAbstractButton*>(object()); }

    QString text(QAccessible::Text t) const override {
        QString s;
        switch (t) {
        case QAccessible::Name:
            s = widget()->accessibleName();
            if (s.isEmpty()) s = spoken(button()->text());
            break;
        case QAccessible::Accelerator:
            s = shortcutText(button()->shortcut());
            if (auto* p = qobject_cast<QPushButton*>(button()); s.isEmpty() && p && p->isDefault())
                s = shortcutText(QKeySequence(Qt::Key_Enter));
            break;
        default:
            break;
        }
        return s.isEmpty() ? QAccessibleWidget::text(t) : s;
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.pressed = button()->isDown();
        if (button()->isCheckable()) {
            s.checkable = true;
            s.checked = button()->isChecked();
        }
        if (auto* p = qobject_cast<QPushButton*>(button()); p && p->isDefault())
            s.defaultButton = true;
        return s;
    }

    QStringList actionNames() const override {
        QStringList names;
        if (widget()->isEnabled())
            names << (button()->isCheckable() ? toggleAction() : pressAction());
        return names + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& action) override {
        if (action == toggleAction() && button()->isCheckable()) {
            if (widget()->isEnabled()) button()->toggle();
            return;
        }
        if (action != pressAction()) {
            QAccessibleWidget::doAction(action);
            return;
        }
        if (!widget()->isEnabled()) return;
        QPointer<QAbstractButton> b = button();
        later(b, [b] {
            if (b) b->click();
        });
    }

    QStringList keyBindingsForAction(const QString& action) const override {
        if (action == pressAction() && !button()->shortcut().isEmpty())
            return {shortcutText(button()->shortcut())};
        return QAccessibleWidget::keyBindingsForAction(action);
    }
};

// A clickable label: a button (or a link) whose name is its accessible name or its caption,
// followed by what it shows when that changes (an action cell's notification).
class ClickableAccessible : public QAccessibleWidget {
  public:
    explicit ClickableAccessible(ClickableLabel* l) : QAccessibleWidget(l, l->accessibleRole()) {}

    ClickableLabel* label() const { return static_cast<ClickableLabel*>(object()); }

    QAccessible::Role role() const override { return label()->accessibleRole(); }

    QString text(QAccessible::Text t) const override {
        switch (t) {
        case QAccessible::Name: {
            QString name = widget()->accessibleName();
            if (name.isEmpty()) name = spoken(label()->text());
            const QString value = label()->accessibleValue();
            return value.isEmpty() ? name : name + QStringLiteral(": ") + value;
        }
        case QAccessible::Value:
            return label()->accessibleValue();
        default:
            return QAccessibleWidget::text(t);
        }
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        if (label()->accessibleRole() == QAccessible::Link) s.linked = true;
        return s;
    }

    QStringList actionNames() const override {
        QStringList names;
        if (widget()->isEnabled()) names << pressAction();
        return names + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& action) override {
        if (action != pressAction()) {
            QAccessibleWidget::doAction(action);
            return;
        }
        QPointer<ClickableLabel> l = label();
        later(l, [l] {
            if (l) l->activate();
        });
    }

    QStringList keyBindingsForAction(const QString& action) const override {
        if (action == pressAction()) return {shortcutText(QKeySequence(Qt::Key_Space))};
        return QAccessibleWidget::keyBindingsForAction(action);
    }
};

// One page tab of a tab bar.
class TabAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
  public:
    TabAccessible(QTabBar* bar, int index) : bar_(bar), index_(index) {}

    void* interface_cast(QAccessible::InterfaceType t) override {
        return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                 : nullptr;
    }
    bool isValid() const override { return bar_ && index_ < bar_->count(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return parent() ? parent()->window() : nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override {
        return bar_ ? QAccessible::queryAccessibleInterface(bar_.data()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessible::Role role() const override { return QAccessible::PageTab; }

    QString text(QAccessible::Text t) const override {
        if (!isValid()) return {};
        switch (t) {
        case QAccessible::Name: {
            const QString name = bar_->accessibleTabName(index_);
            return name.isEmpty() ? spoken(bar_->tabText(index_)) : name;
        }
        case QAccessible::Description:
            return bar_->tabToolTip(index_);
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override {
        if (!isValid()) return {};
        const QRect r = bar_->tabRect(index_);
        return QRect(bar_->mapToGlobal(r.topLeft()), r.size());
    }

    QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        const bool current = bar_->currentIndex() == index_;
        s.disabled = !bar_->isEnabled() || !bar_->isTabEnabled(index_);
        s.invisible = !bar_->isVisible() || !bar_->isTabVisible(index_);
        s.focusable = true;
        s.focused = current && bar_->hasFocus();
        s.selectable = true;
        s.selected = current;
        return s;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (action == pressAction() && isValid()) bar_->setCurrentIndex(index_);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

    int index() const { return index_; }

  private:
    QPointer<QTabBar> bar_;
    int index_;
};

// A tab bar that offers only the tabs it shows: a page kept hidden is not there to be found.
class TabBarAccessible : public QAccessibleWidget {
  public:
    explicit TabBarAccessible(QTabBar* bar) : QAccessibleWidget(bar, QAccessible::PageTabList) {}
    ~TabBarAccessible() override {
        for (const auto& [index, id] : tabs_)
            QAccessible::deleteAccessibleInterface(id);
    }

    QTabBar* bar() const { return static_cast<QTabBar*>(object()); }

    int childCount() const override { return int(shownTabs().size()); }

    QAccessibleInterface* child(int position) const override {
        const std::vector<int> shown = shownTabs();
        if (position < 0 || position >= int(shown.size())) return nullptr;
        return tab(shown[std::size_t(position)]);
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        const std::vector<int> shown = shownTabs();
        for (std::size_t i = 0; i < shown.size(); ++i)
            if (const auto it = tabs_.find(shown[i]);
                it != tabs_.end() && QAccessible::accessibleInterface(it->second) == child)
                return int(i);
        return -1;
    }

    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint at = bar()->mapFromGlobal(QPoint(x, y));
        const int index = bar()->tabAt(at);
        return index >= 0 && bar()->isTabVisible(index) ? tab(index) : nullptr;
    }

    QAccessibleInterface* focusChild() const override {
        const int current = bar()->currentIndex();
        return bar()->hasFocus() && current >= 0 ? tab(current) : nullptr;
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) {
            if (const int current = bar()->currentIndex(); current >= 0)
                return tab(current)->text(t);
        }
        return QAccessibleWidget::text(t);
    }

  private:
    std::vector<int> shownTabs() const {
        std::vector<int> shown;
        for (int i = 0; i < bar()->count(); ++i)
            if (bar()->isTabVisible(i)) shown.push_back(i);
        return shown;
    }

    QAccessibleInterface* tab(int index) const {
        if (const auto it = tabs_.find(index); it != tabs_.end())
            return QAccessible::accessibleInterface(it->second);
        auto* iface = new TabAccessible(bar(), index);
        tabs_[index] = QAccessible::registerAccessibleInterface(iface);
        return iface;
    }

    mutable std::map<int, QAccessible::Id> tabs_;
};

// Push and tool buttons; check boxes and buttons with a menu keep Qt's own.
bool commandButton(QAbstractButton* b) {
    if (auto* p = qobject_cast<QPushButton*>(b)) return !p->menu();
    if (auto* t = qobject_cast<QToolButton*>(b)) return !t->menu();
    return false;
}

QAccessibleInterface* factory(const QString&, QObject* object) {
    if (auto* label = qobject_cast<ClickableLabel*>(object)) return new ClickableAccessible(label);
    if (auto* bar = qobject_cast<QTabBar*>(object)) return new TabBarAccessible(bar);
    if (auto* button = qobject_cast<QAbstractButton*>(object); button && commandButton(button))
        return new ButtonAccessible(button, QAccessible::Button);
    // The window's radio pairs are not exclusive among themselves (a file may leave both off),
    // which Qt would report as check boxes; they look and act as radio buttons.
    if (auto* radio = qobject_cast<QRadioButton*>(object))
        return new ButtonAccessible(radio, QAccessible::RadioButton);
    return nullptr;
}

} // namespace

void installAccessibility() {
    QAccessible::installFactory(factory);
}

void nameControl(QWidget* w, const QString& name) {
    w->setAccessibleName(name);
    auto* list = qobject_cast<QComboBox*>(w);
    if (!list || !w->parentWidget()) return;
    // Linux reads a list's current item as its name and its label from a label that names it
    // (Qt follows what the desktop's screen readers expect): a label it gets, kept hidden
    // where the window shows the name another way (a row label and a column heading).
    const QString labelName = QStringLiteral("NameLabel_") + w->objectName();
    auto* label = w->parentWidget()->findChild<QLabel*>(labelName, Qt::FindDirectChildrenOnly);
    if (!label) {
        label = new QLabel(w->parentWidget());
        label->setObjectName(labelName);
        label->hide();
    }
    label->setText(name);
    label->setBuddy(w);
}

void nameBySetting(QWidget* w, std::string_view key, int index, int column) {
    nameControl(w, qs(settingLabel(ConfigKey{key, index, column})));
}

void nameBySlot(QWidget* w, int slot, std::string_view heading) {
    nameControl(w, qs(slotControlLabel(slot, heading)));
}

} // namespace qv::gui
