#pragma once
// The pieces the input-table tabs are built of: the row geometry, clickable action cells and
// icons, and the table's flat edits. Widgets are placed at fixed positions, one row of the
// input table every 20 pixels, so the tables of the different tabs line up. The columns keep
// the widths they were drawn with for Liberation Sans (or Arial) unless a text needs more room;
// then the column grows and the columns right of it move (ColumnPlan).
#include "config/settings.hpp"
#include "gui/tabs/tab_pictures.hpp"
#include "gui/widgets/clickable_label.hpp"

#include <QLabel>
#include <QLineEdit>

#include <vector>

namespace qv::gui {

namespace rows {
inline constexpr int kHeadingTop = 1;
inline constexpr int kFirstRowTop = 20;
inline constexpr int kRowStep = 20;
inline constexpr int kFieldHeight = 19;
inline constexpr int kInputsGap = 4; // the system rows 1..4 stand apart from the inputs
inline constexpr int kLabelLeft = 4;
inline constexpr int kLabelWidth = 70;

// Top of row `slot` (1..15).
constexpr int top(int slot) {
    return kFirstRowTop + (slot - 1) * kRowStep + (slot >= 5 ? kInputsGap : 0);
}
// The first pixel row below the table.
inline constexpr int kBelowTable = top(memmap::kInputSlots) + kFieldHeight + 2;
// The line between the system rows and the inputs.
inline constexpr int kSeparatorTop = top(4) + kFieldHeight + 1;

// "fNAME_slot" and "fNAME_slot_column": the object names of the per-row widgets.
QString name(const char* setting, int slot);
QString name(const char* setting, int slot, int column);

// The width of the row-label column: as drawn, or what the widest label needs in font.
int labelWidth(const QFont& font);
} // namespace rows

// The columns of a table drawn at fixed places, left to right. A column that needs more than its
// drawn width grows by the difference and kAir, and every column right of it moves by as much.
class ColumnPlan {
  public:
    static constexpr int kAir = 4;
    // Adds the next column, drawn at x with width, which needs at least `needed` pixels.
    // Returns its index.
    int add(int x, int width, int needed);
    // Where a thing drawn at x in column c lies: moved with the column and centred in what the
    // column gained (alignLeft: kept at the column's left side).
    int at(int c, int x, bool alignLeft = false) const;
    // The column's left edge and width.
    int left(int c) const;
    int width(int c) const;
    // What the columns left of c gained: a separator drawn at x just before column c lies at
    // x + shift(c).
    int shift(int c) const;
    // What all columns gained together.
    int grown() const { return shift_; }

  private:
    struct Column {
        int x, width, growth, shift;
    };
    std::vector<Column> columns_;
    int shift_ = 0;
};

// The widest of texts in font, in whole pixels (a fraction under half a pixel dropped).
int textWidth(const QFont& font, const QStringList& texts);

// An action cell: bold text in the action's colour, clicked to step it, hovered for the private
// phone highlight.
class ActionCellLabel : public ClickableLabel {
    Q_OBJECT
  public:
    static constexpr int kWidth = 35;
    ActionCellLabel(QWidget* parent, const QString& objectName, int x, int y);
    // Shows the cell's text and colour, touching the widget only where they differ.
    void showCell(const ActionCell& cell);
    // The notification the cell shows, "brak" when none.
    QString accessibleValue() const override;

  Q_SIGNALS:
    // The pointer is over the cell, or the keyboard focus came to it.
    void hovered();

  protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
};

// A small picture with its hint that acts when clicked (or double-clicked).
class PictureLabel : public ClickableLabel {
    Q_OBJECT
  public:
    PictureLabel(QWidget* parent, const QString& objectName, const QPixmap& picture,
                 const QString& hint);
};

// A column icon at (x, y).
PictureLabel* columnIcon(QWidget* parent, const char* objectName, ColumnIcon which,
                         const QString& hint, int x, int y);

// The RGB of an action's colour.
QColor actionRgb(ActionColour colour);

// A flat single-line edit of the table, 19 pixels high, with its length limit and hint.
QLineEdit* tableEdit(QWidget* parent, const QString& objectName, int x, int y, int width,
                     int maxLength);
// Shows a table edit's text from its first character (a long description is read from its
// start), touching the edit only when the text differs.
void showFieldText(QLineEdit* edit, const std::string& text);
// Paints an edit's background (white, or the button face of a field that does not apply).
void paintBase(QLineEdit* edit, const QColor& colour);

// A caption or heading at a fixed place.
QLabel* fixedLabel(QWidget* parent, const QString& text, int x, int y, int width,
                   Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter,
                   const QString& objectName = QString());
// The bold "Status urządzenia" that lies under an SMS text field.
QLabel* statusLabel(QWidget* parent, const QLineEdit* field);
// The row labels "Test/Status" ... "Ex 6" down the left side, width pixels wide.
void rowLabels(QWidget* parent, int width);
// Separator lines.
void horizontalLine(QWidget* parent, int x, int y, int width);
void verticalLine(QWidget* parent, int x, int y, int height);

} // namespace qv::gui
