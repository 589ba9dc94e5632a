#include "gui/tabs/tab_prywatne.hpp"

#include "config/defaults.hpp"
#include "config/item_lists.hpp"
#include "gui/app/accessibility.hpp"
#include "gui/widgets/binding.hpp"
#include "tools/editing_actions.hpp"

namespace qv::gui {

namespace {

constexpr int kCellStep = ActionCellLabel::kWidth + 2;
constexpr int kAlarmX = 80;
constexpr int kAlarmTextX = kAlarmX + 3 * kCellStep + 2;
constexpr int kTextWidth = 235, kTextLimit = 64;
constexpr int kReturnLine = kAlarmTextX + kTextWidth + 4;
constexpr int kReturnX = kReturnLine + 6;
constexpr int kReturnTextX = kReturnX + 3 * kCellStep + 2;
constexpr int kRight = kReturnTextX + kTextWidth;
constexpr int kLabelGap = kAlarmX - rows::kLabelLeft - rows::kLabelWidth;
constexpr int kPhoneCaptionWidth = 110, kPhoneWidth = 100, kPhoneLimit = 15, kPhoneStep = 22;
constexpr int kHeadingPad = 2; // each side of a heading
constexpr int kHighlightMs = 3000;

const QColor kLime(0x00, 0xFF, 0x00);
const QString kToggleAll = QStringLiteral("Przełącz wszystkie");
const QString kClearTexts = QStringLiteral("Wyczyść treści SMSów");

// The icons step a whole private column; one function per column for the icon's action.
template <int Column> void stepAlarm(Settings& s) {
    editing::stepAlarmColumn(s, Column);
}
template <int Column> void stepReturn(Settings& s) {
    editing::stepReturnColumn(s, Column);
}

} // namespace

TabPrywatne::TabPrywatne(AppContext& ctx, QWidget* parent)
    : InputTableView(ctx, QStringLiteral("TabPrywatne"), parent) {
    highlightReset_.setObjectName(QStringLiteral("Timer2"));
    highlightReset_.setSingleShot(true);
    highlightReset_.setInterval(kHighlightMs);
    connect(&highlightReset_, &QTimer::timeout, this, [this] { paintPhones(0); });

    // The columns as drawn, or wider where the font needs it.
    const auto heading = [this](const char* text) {
        return textWidth(font(), {QString::fromUtf8(text)}) + 2 * kHeadingPad;
    };
    col_.label = plan_.add(rows::kLabelLeft, kAlarmX - rows::kLabelLeft,
                           rows::labelWidth(font()) + kLabelGap);
    col_.alarm = plan_.add(kAlarmX, kAlarmTextX - kAlarmX, 0);
    QFont bold = font();
    bold.setBold(true);
    const int status = textWidth(bold, {QString::fromUtf8(items::kStatusLabel)}) + 8;
    col_.alarmText =
        plan_.add(kAlarmTextX, kTextWidth, std::max(status, heading("Treść SMS na ALARM")));
    col_.ret = plan_.add(kReturnX, kReturnTextX - kReturnX, 0);
    col_.returnText =
        plan_.add(kReturnTextX, kTextWidth, std::max(status, heading("Treść SMS na POWRÓT")));

    buildHeadings();
    rowLabels(this, plan_.width(col_.label) - kLabelGap);
    for (int slot = 1; slot <= memmap::kInputSlots; ++slot)
        buildRow(slot);
    horizontalLine(this, rows::kLabelLeft, rows::kSeparatorTop, right() - rows::kLabelLeft);
    verticalLine(this, kReturnLine + plan_.shift(col_.ret), rows::kHeadingTop,
                 memmap::kInputSlots * rows::kRowStep + 24);
    buildIcons();
    buildPhones();
}

int TabPrywatne::right() const {
    return kRight + plan_.grown();
}

void TabPrywatne::buildHeadings() {
    const int y = rows::kHeadingTop;
    for (int i = 0; i < kPrivateColumns; ++i) {
        fixedLabel(this, QStringLiteral("A%1").arg(i + 1),
                   plan_.at(col_.alarm, kAlarmX + i * kCellStep), y, ActionCellLabel::kWidth,
                   Qt::AlignCenter);
        fixedLabel(this, QStringLiteral("P%1").arg(i + 1),
                   plan_.at(col_.ret, kReturnX + i * kCellStep), y, ActionCellLabel::kWidth,
                   Qt::AlignCenter);
    }
    fixedLabel(this, QStringLiteral("Treść SMS na ALARM"), plan_.left(col_.alarmText), y,
               plan_.width(col_.alarmText), Qt::AlignCenter);
    fixedLabel(this, QStringLiteral("Treść SMS na POWRÓT"), plan_.left(col_.returnText), y,
               plan_.width(col_.returnText), Qt::AlignCenter);
}

void TabPrywatne::buildRow(int slot) {
    Row& r = rows_[std::size_t(slot - 1)];
    // Created left to right, so the keyboard walks a row as it is read.
    const auto cells = [&](bool alarm) {
        auto& row = alarm ? r.alarm : r.ret;
        for (int i = 0; i < kPrivateColumns; ++i) {
            const int column = i + 2;
            ActionCellLabel* cell =
                actionCell(alarm, slot, column,
                           alarm ? plan_.at(col_.alarm, kAlarmX + i * kCellStep)
                                 : plan_.at(col_.ret, kReturnX + i * kCellStep));
            // The mouse over a cell, or the keyboard on it, lights the phone it notifies.
            connect(cell, &ActionCellLabel::hovered, this,
                    [this, column] { highlightPhone(column); });
            row[std::size_t(i)] = cell;
        }
    };
    cells(true);
    r.alarmText = statusField("ALARM_PRIV_TEXT", slot, plan_.at(col_.alarmText, kAlarmTextX),
                              kTextWidth, kTextLimit, &InputRow::alarmPrivText);
    cells(false);
    r.returnText = statusField("RETURN_PRIV_TEXT", slot, plan_.at(col_.returnText, kReturnTextX),
                               kTextWidth, kTextLimit, &InputRow::returnPrivText);
    if (!constraints::returnFieldsEditable(slot)) markNotApplicable(r.returnText.edit);
}

void TabPrywatne::buildIcons() {
    const int y = rows::kBelowTable;
    const int mid = (ActionCellLabel::kWidth - kColumnIconSize) / 2;
    using I = ColumnIcon;
    void (*alarmSteps[])(Settings&) = {stepAlarm<2>, stepAlarm<3>, stepAlarm<4>};
    void (*returnSteps[])(Settings&) = {stepReturn<2>, stepReturn<3>, stepReturn<4>};
    const char* alarmNames[] = {"Image9", "Image10", "Image11"};
    const char* returnNames[] = {"Image12", "Image13", "Image14"};
    const QString toggleAll = kToggleAll.toLower();
    const QString clearTexts = kClearTexts.toLower();
    // In the order the keyboard meets them: the alarm side, then the return side.
    for (int i = 0; i < kPrivateColumns; ++i)
        actionIcon(alarmNames[i], I::Cycle, kToggleAll,
                   plan_.at(col_.alarm, kAlarmX + i * kCellStep + mid), y, alarmSteps[i],
                   iconName("ALARM_ACTION", i + 2, toggleAll));
    actionIcon("Image20", I::Clear, kClearTexts,
               plan_.at(col_.alarmText, kAlarmTextX + (kTextWidth - 16) / 2), y,
               editing::clearAlarmPrivTexts, iconName("ALARM_PRIV_TEXT", 0, clearTexts));
    for (int i = 0; i < kPrivateColumns; ++i)
        actionIcon(returnNames[i], I::Cycle, kToggleAll,
                   plan_.at(col_.ret, kReturnX + i * kCellStep + mid), y, returnSteps[i],
                   iconName("RETURN_ACTION", i + 2, toggleAll));
    actionIcon("Image21", I::Clear, kClearTexts,
               plan_.at(col_.returnText, kReturnTextX + (kTextWidth - 16) / 2), y,
               editing::clearReturnPrivTexts, iconName("RETURN_PRIV_TEXT", 0, clearTexts));
}

void TabPrywatne::buildPhones() {
    const int top = rows::kBelowTable + kColumnIconSize + 6;
    horizontalLine(this, rows::kLabelLeft, top - 4, right() - rows::kLabelLeft);
    // The captions as drawn, or as wide as the font needs: never under their fields.
    const int captionWidth = std::max(
        kPhoneCaptionWidth, textWidth(font(), {QStringLiteral("Telefon prywatny 3:")}) + 6);
    for (int p = 1; p <= memmap::kPrivatePhones; ++p) {
        const int y = top + (p - 1) * kPhoneStep;
        QLabel* caption = fixedLabel(this, QStringLiteral("Telefon prywatny %1:").arg(p),
                                     rows::kLabelLeft, y, captionWidth);
        caption->setObjectName(QStringLiteral("LabelPrivPhone%1").arg(p));
        QLineEdit* e = tableEdit(this, QStringLiteral("fPRIV_PHONE_%1").arg(p),
                                 rows::kLabelLeft + captionWidth, y, kPhoneWidth, kPhoneLimit);
        caption->setBuddy(e);
        nameBySetting(e, "PRIV_PHONE", p);
        connect(e, &QLineEdit::textChanged, this, [this, p](const QString& text) {
            settings().privPhones[std::size_t(p - 1)] = ss(text);
            commitEdit();
        });
        phones_[std::size_t(p - 1)] = e;
    }
    paintPhones(0);
}

void TabPrywatne::highlightPhone(int column) {
    paintPhones(column);
    highlightReset_.start();
}

void TabPrywatne::paintPhones(int litColumn) {
    for (int p = 1; p <= memmap::kPrivatePhones; ++p)
        paintBase(phones_[std::size_t(p - 1)], p == litColumn - 1 ? kLime : QColor(Qt::white));
}

void TabPrywatne::refresh() {
    const Settings& s = settings();
    for (int slot = 1; slot <= memmap::kInputSlots; ++slot) {
        const InputRow& row = s.input(slot);
        Row& r = rows_[std::size_t(slot - 1)];
        for (int i = 0; i < kPrivateColumns; ++i) {
            showCell(r.alarm[std::size_t(i)], row, true, i + 2);
            showCell(r.ret[std::size_t(i)], row, false, i + 2);
        }
        showStatusField(r.alarmText, row.alarmPrivText, row.status);
        showStatusField(r.returnText, row.returnPrivText, row.status);
    }
    for (int p = 1; p <= memmap::kPrivatePhones; ++p)
        showFieldText(phones_[std::size_t(p - 1)], s.privPhones[std::size_t(p - 1)]);
}

} // namespace qv::gui
