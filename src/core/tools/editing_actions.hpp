#pragma once
// The column-wide edits of the input table: each icon under or beside a column heading sets,
// steps, copies or clears that column for a range of rows. Row 1 (the test input) has no return
// side and rows 1..4 (the system signals) no contact type, which is why several actions start at
// row 2 or row 5. Rows and columns are 1-based.
#include "config/settings.hpp"

namespace qv::editing {

// The value a column steps to: the next one after the reference cell's text in the cycling
// order none -> SMS -> CLIP -> C/S -> C+S -> none; none when the reference holds any other
// text ("X" included).
ActionCell successor(const ActionCell& reference);

// Contact type of rows 5..15.
void setNC(Settings& s);
void setNO(Settings& s);
// Rows 2..15 get the inverse of row 2's reset flag.
void setReset(Settings& s);
// Rows 1..15 get the inverse of row 2's status flag.
void setStatus(Settings& s);

// Alarm column c (1 = base phone, 2..4 = private phones 1..3), rows 1..15: the successor of
// row 1's cell.
void stepAlarmColumn(Settings& s, int column);
// Return column c, rows 2..15: the successor of row 2's cell. Row 1 keeps its cells.
void stepReturnColumn(Settings& s, int column);
inline void setAlarm(Settings& s) {
    stepAlarmColumn(s, 1);
}
inline void setReturn(Settings& s) {
    stepReturnColumn(s, 1);
}

// Rows 2..15: the alarm phone of row 1.
void copyFirstAlarmPhone(Settings& s);
// Rows 3..15: the return phone of row 2 (row 1 has no return phone).
void copyFirstReturnPhone(Settings& s);
// The return phone of row 2 := the alarm phone of row 1.
void alarmPhoneToReturnPhone(Settings& s);
// The alarm phone of row 1 := the return phone of row 2.
void returnPhoneToAlarmPhone(Settings& s);

// Rows 1..15 emptied.
void clearAlarmPhones(Settings& s);
void clearReturnPhones(Settings& s);
void clearAlarmTexts(Settings& s);
void clearReturnTexts(Settings& s);
void clearAlarmPrivTexts(Settings& s);
void clearReturnPrivTexts(Settings& s);
void clearDescriptions(Settings& s);
// The configuration description memo.
void clearDescriptionMemo(Settings& s);

} // namespace qv::editing
