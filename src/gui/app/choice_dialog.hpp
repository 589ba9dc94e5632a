#pragma once
// A choice of one item from a short list, with the question above it: the arrows move, Enter
// or a double click takes the item, Escape cancels. The list is named by the question's first
// line for screen readers.
#include <QDialog>
#include <QStringList>

class QListWidget;

namespace qv::gui {

class ChoiceDialog : public QDialog {
    Q_OBJECT
  public:
    ChoiceDialog(const QString& text, const QStringList& items, QWidget* parent = nullptr);
    // The item chosen, or -1 when none is.
    int chosen() const;

  private:
    QListWidget* list_;
};

} // namespace qv::gui
