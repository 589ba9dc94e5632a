#pragma once
// "Cofnij" and "Ponów" of the main window. Every change of the configuration becomes one step
// that holds the settings before and after it, so undoing and redoing give back exactly what
// the settings were. A change is recorded after it happened (record()): the history compares
// the settings with those it saw last, and a step is made only when they differ. Typing in one
// field, or moving one slider, is one step for as long as the control keeps the focus.
// The core's change check stays the judge of "modified": the steps only write the settings.
#include "config/config_document.hpp"

#include <QObject>
#include <QPointer>
#include <QToolButton>
#include <QUndoStack>

#include <functional>

class QToolButton;
class QWidget;

namespace qv::gui {

class AppContext;

class UndoHistory : public QObject {
    Q_OBJECT
  public:
    // window: the main window, whose text fields give Ctrl+Z and Ctrl+Y to the history;
    // showAgain: shows the settings in every view after a step was undone or redone.
    UndoHistory(AppContext& ctx, QWidget* window, std::function<void()> showAgain);
    ~UndoHistory() override;

    // The current settings become the starting point; the steps are forgotten.
    void reset();
    // Records what changed since the last step as a step named label (an empty label: named
    // by the control the user last worked with). Nothing when the settings are unchanged.
    void record(const QString& label = QString());
    // Records a command that replaced the document as a whole ("Nowy", "Otwórz", a read):
    // undone, the settings, the stored copy and the file are those of before.
    void recordCommand(const QString& label, const DocumentState& before);
    void undo();
    void redo();

    QUndoStack& stack() { return stack_; }
    // "Cofnij" and "Ponów" with their keys (Ctrl+Z; Ctrl+Y and Ctrl+Shift+Z), made for parent.
    void makeButtons(QWidget* parent);
    QToolButton* undoButton() const { return undoButton_; }
    QToolButton* redoButton() const { return redoButton_; }

    // Writes settings, or the whole document, back (a step undone or redone).
    void apply(const Settings& settings);
    void apply(const DocumentState& state);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void closeVisit() { ++visit_; }
    void renewButtons();

    AppContext& ctx_;
    QWidget* window_;
    std::function<void()> showAgain_;
    QUndoStack stack_;
    Settings last_;
    // The control the user last pressed a key or a mouse button on.
    QPointer<QWidget> inputTarget_;
    // Counts the focus changes: typing merges only within one visit of a field.
    quint64 visit_ = 0;
    bool applying_ = false;
    // The status bar owns them and may go first when the window closes.
    QPointer<QToolButton> undoButton_;
    QPointer<QToolButton> redoButton_;
};

// Typing is merged into one step per field visit; every other change is a step of its own.
// The control a widget belongs to (a text box's viewport belongs to the text box) and the name
// a step takes from it: its accessible name, or its caption.
QWidget* controlOf(QWidget* w);
QString controlName(QWidget* w);

} // namespace qv::gui
