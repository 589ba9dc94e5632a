#pragma once
// A label that acts like a button: clicked (or double-clicked) with the left mouse button, and,
// since it takes the keyboard focus, pressed with Space or Enter. Assistive technology sees it
// as a button (or a link) with a press action.
#include <QAccessible>
#include <QLabel>

namespace qv::gui {

class ClickableLabel : public QLabel {
    Q_OBJECT
  public:
    ClickableLabel(QWidget* parent, const QString& objectName);

    // Labels that act on a double click (the logo) are pressed from the keyboard all the same.
    void setActsOnDoubleClick(bool on) { doubleClickActs_ = on; }
    // Runs the label's action, as a click (or double click) would.
    void activate();

    // How assistive technology presents the label: a button unless set otherwise.
    QAccessible::Role accessibleRole() const { return role_; }
    void setAccessibleRole(QAccessible::Role role) { role_ = role; }
    // What the label currently shows, read after its name ("Wejście 1(K) – Alarm: SMS"); empty
    // for a label whose name says it all.
    virtual QString accessibleValue() const { return {}; }

  Q_SIGNALS:
    void clicked();
    void doubleClicked();

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    bool doubleClickActs_ = false;
    QAccessible::Role role_ = QAccessible::Button;
};

} // namespace qv::gui
