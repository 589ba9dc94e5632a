#include "gui/main_window/undo_history.hpp"

#include "gui/app/app_context.hpp"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QTextEdit>
#include <QToolButton>

namespace qv::gui {

namespace {

constexpr int kMaxSteps = 300;
// The one id of the steps that merge: a field's typing or a slider's moves.
constexpr int kVisitStepId = 1;
constexpr QKeyCombination kUndoKeys = Qt::CTRL | Qt::Key_Z;
constexpr QKeyCombination kRedoKeys = Qt::CTRL | Qt::Key_Y;
constexpr QKeyCombination kRedoKeysAlt = Qt::CTRL | Qt::SHIFT | Qt::Key_Z;

// Controls whose edits merge for as long as they keep the focus.
bool mergesVisit(const QWidget* w) {
    return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QPlainTextEdit*>(w) ||
           qobject_cast<const QTextEdit*>(w) || qobject_cast<const QAbstractSlider*>(w) ||
           qobject_cast<const QAbstractSpinBox*>(w);
}

// Controls that take Ctrl+Z for an undo of their own.
bool undoesByItself(const QWidget* w) {
    return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QPlainTextEdit*>(w) ||
           qobject_cast<const QTextEdit*>(w) || qobject_cast<const QAbstractSpinBox*>(w);
}

bool isKeys(const QKeyEvent* e, QKeyCombination keys) {
    return e->keyCombination() == keys;
}

// A step whose state was already taken when it is pushed: redo applies it only when it is
// done again.
template <class State> class StateStep : public QUndoCommand {
  public:
    StateStep(UndoHistory& history, const QString& name, State before, State after)
        : QUndoCommand(name), history_(history), before_(std::move(before)),
          after_(std::move(after)) {}

    void undo() override { history_.apply(before_); }

    void redo() override {
        if (pushed_) {
            pushed_ = false;
            return;
        }
        history_.apply(after_);
    }

  protected:
    UndoHistory& history_;
    State before_;
    State after_;

  private:
    bool pushed_ = true;
};

// A change of the settings: typing in one field during one visit merges into one step.
class SettingsStep : public StateStep<Settings> {
  public:
    SettingsStep(UndoHistory& history, const QString& name, Settings before, Settings after,
                 const void* field, quint64 visit)
        : StateStep(history, name, std::move(before), std::move(after)), field_(field),
          visit_(visit) {}

    int id() const override { return field_ ? kVisitStepId : -1; }

    bool mergeWith(const QUndoCommand* other) override {
        const auto* o = static_cast<const SettingsStep*>(other);
        if (o->field_ != field_ || o->visit_ != visit_) return false;
        after_ = o->after_;
        // Typed and taken back within one visit: no step at all.
        setObsolete(after_ == before_);
        return true;
    }

  private:
    // Compared only, never followed: the control being typed in.
    const void* field_;
    quint64 visit_;
};

// A command that replaced the whole document.
using DocumentStep = StateStep<DocumentState>;

} // namespace

QWidget* controlOf(QWidget* w) {
    // A scroll area's viewport (where a text box gets its mouse) stands for the area, and the
    // edit inside a spin box for the box.
    if (!w) return nullptr;
    QWidget* parent = w->parentWidget();
    if (auto* area = qobject_cast<QAbstractScrollArea*>(parent); area && area->viewport() == w)
        return area;
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(parent)) return spin;
    return w;
}

QString controlName(QWidget* w) {
    for (; w && !w->isWindow(); w = w->parentWidget()) {
        if (!w->accessibleName().isEmpty()) return w->accessibleName();
        if (QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w)) {
            const QString name = a->text(QAccessible::Name);
            if (!name.isEmpty()) return name;
        }
        if (auto* b = qobject_cast<QAbstractButton*>(w); b && !b->text().isEmpty())
            return b->text().remove(QLatin1Char('&'));
    }
    return {};
}

UndoHistory::UndoHistory(AppContext& ctx, QWidget* window, std::function<void()> showAgain)
    : QObject(window), ctx_(ctx), window_(window), showAgain_(std::move(showAgain)),
      last_(ctx.settings()) {
    stack_.setUndoLimit(kMaxSteps);
    qApp->installEventFilter(this);
    connect(qApp, &QApplication::focusChanged, this, [this] { closeVisit(); });
    connect(&stack_, &QUndoStack::indexChanged, this, &UndoHistory::renewButtons);
}

UndoHistory::~UndoHistory() {
    qApp->removeEventFilter(this);
    stack_.disconnect(this);
}

void UndoHistory::reset() {
    stack_.clear();
    last_ = ctx_.settings();
    closeVisit();
    renewButtons();
}

void UndoHistory::record(const QString& label) {
    if (applying_) return;
    const Settings& now = ctx_.settings();
    if (now == last_) return;
    QWidget* control = controlOf(inputTarget_ ? inputTarget_.data() : QApplication::focusWidget());
    // A list's choice is clicked in its popup; the list keeps the focus.
    if (control && control->window()->windowType() == Qt::Popup)
        control = controlOf(QApplication::focusWidget());
    // A field's typing merges while it keeps the focus; a named command is a step of its own.
    const void* field =
        label.isEmpty() && mergesVisit(control) ? static_cast<const void*>(control) : nullptr;
    QString name = label.isEmpty() ? controlName(control) : label;
    if (name.isEmpty()) name = QStringLiteral("Zmiana konfiguracji");
    if (!field) closeVisit();
    stack_.push(new SettingsStep(*this, name, last_, now, field, visit_));
    last_ = now;
    if (!field) closeVisit();
    renewButtons();
}

void UndoHistory::recordCommand(const QString& label, const DocumentState& before) {
    if (applying_) return;
    DocumentState after = ctx_.doc.state();
    if (after == before) return;
    closeVisit();
    last_ = after.settings;
    stack_.push(new DocumentStep(*this, label, before, std::move(after)));
    renewButtons();
}

void UndoHistory::undo() {
    closeVisit();
    stack_.undo();
}

void UndoHistory::redo() {
    closeVisit();
    stack_.redo();
}

void UndoHistory::apply(const Settings& settings) {
    applying_ = true;
    ctx_.settings() = settings;
    last_ = settings;
    closeVisit();
    showAgain_();
    applying_ = false;
}

void UndoHistory::apply(const DocumentState& state) {
    applying_ = true;
    ctx_.doc.restore(state);
    last_ = state.settings;
    closeVisit();
    showAgain_();
    applying_ = false;
}

void UndoHistory::makeButtons(QWidget* parent) {
    const auto make = [&](const char* name, const QString& caption, QKeySequence keys,
                          void (UndoHistory::*command)()) {
        auto* b = new QToolButton(parent);
        b->setObjectName(QString::fromLatin1(name));
        b->setText(caption);
        b->setAccessibleName(caption);
        b->setAutoRaise(true);
        b->setShortcut(keys);
        connect(b, &QToolButton::clicked, this, command);
        return b;
    };
    undoButton_ = make("undoButton", QStringLiteral("Cofnij"), kUndoKeys, &UndoHistory::undo);
    redoButton_ = make("redoButton", QStringLiteral("Ponów"), kRedoKeys, &UndoHistory::redo);
    auto* alt = new QShortcut(QKeySequence(kRedoKeysAlt), parent);
    alt->setObjectName(QStringLiteral("redoShortcut"));
    connect(alt, &QShortcut::activated, this, &UndoHistory::redo);
    renewButtons();
}

void UndoHistory::renewButtons() {
    if (!undoButton_ || !redoButton_) return;
    const auto keys = [](QKeyCombination k) {
        return QKeySequence(k).toString(QKeySequence::NativeText);
    };
    undoButton_->setEnabled(stack_.canUndo());
    undoButton_->setToolTip((stack_.canUndo() ? QStringLiteral("Cofnij: ") + stack_.undoText()
                                              : QStringLiteral("Nie ma czego cofnąć")) +
                            QStringLiteral(" (") + keys(kUndoKeys) + u')');
    redoButton_->setEnabled(stack_.canRedo());
    redoButton_->setToolTip((stack_.canRedo() ? QStringLiteral("Ponów: ") + stack_.redoText()
                                              : QStringLiteral("Nie ma czego ponowić")) +
                            QStringLiteral(" (") + keys(kRedoKeys) + QStringLiteral(", ") +
                            keys(kRedoKeysAlt) + u')');
    undoButton_->setAccessibleDescription(undoButton_->toolTip());
    redoButton_->setAccessibleDescription(redoButton_->toolTip());
}

bool UndoHistory::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::MouseButtonPress) return false;
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w) return false;
    // Pressed on w; when w did not take it, its parents see it too: the child stays. Another
    // control than before begins a new visit.
    if (!inputTarget_ || !w->isAncestorOf(inputTarget_)) {
        if (controlOf(w) != controlOf(inputTarget_)) closeVisit();
        inputTarget_ = w;
    }
    if (type == QEvent::MouseButtonPress) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) closeVisit();
    // A text field of the main window would undo its own typing: the window's steps do it.
    if (w->window() == window_ && undoesByItself(controlOf(w))) {
        if (isKeys(key, kUndoKeys)) {
            undo();
            return true;
        }
        if (isKeys(key, kRedoKeys) || isKeys(key, kRedoKeysAlt)) {
            redo();
            return true;
        }
    }
    return false;
}

} // namespace qv::gui
