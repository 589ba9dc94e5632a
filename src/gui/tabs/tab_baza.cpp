#include "gui/tabs/tab_baza.hpp"

#include "config/defaults.hpp"
#include "config/item_lists.hpp"
#include "gui/app/accessibility.hpp"
#include "gui/app/app_context.hpp"
#include "gui/tabs/tab_layout.hpp"
#include "gui/widgets/binding.hpp"
#include "tools/editing_actions.hpp"
#include "tools/setting_display.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QUrl>

namespace qv::gui {

namespace {

// The maker's web page, opened by a double click on the logo.
constexpr const char* kMakerPage = "https://www.vorkal.pl/";

// Column positions as drawn for Liberation Sans / Arial at 9 pt. The input-time list is a
// little wider than its two digits need, so that "0.3" stays readable beside the list's drop
// button. Where a heading or a content needs more room its column grows (ColumnPlan).
constexpr int kNcX = 76, kNoX = 94, kBoxWidth = 16;
constexpr int kNcNoHeadingX = kNcX - 2, kNcNoHeadingWidth = 40;
constexpr int kTimeX = 114, kTimeWidth = 46, kUnitX = 162, kUnitWidth = 24;
constexpr int kTimeGroupWidth = kUnitX + kUnitWidth - kTimeX;
constexpr int kResetX = 195, kStatusX = 233, kBoxHeadingWidth = 34, kBoxHeadingLeft = 9;
constexpr int kAlarmLine = 259;
constexpr int kAlarmX = 263, kAlarmTextX = 301, kAlarmPhoneX = 427;
constexpr int kReturnLine = 530;
constexpr int kReturnX = 535, kReturnTextX = 573, kReturnPhoneX = 699;
constexpr int kTextWidth = 124, kPhoneWidth = 100, kRight = kReturnPhoneX + kPhoneWidth;
constexpr int kTextLimit = 20, kPhoneLimit = 15;
constexpr int kLogoWidth = 124, kLogoHeight = 28, kFooterStep = 14;

const QString kChangeAll = QStringLiteral("Zmień wszystkie");
const QString kCopyFirst = QStringLiteral("Skopiuj z pierwszego numeru do pozostałych");
const QString kClearPhones = QStringLiteral("Wyczyść numery telefonów");
const QString kClearTexts = QStringLiteral("Wyczyść treści SMSów");

// "Przepisuje „Test/Status – Nr telefonu (alarm)” do „Wejście AC – Nr telefonu (powrót)”".
QString copyDescription(int fromSlot, const char* from, int toSlot, const char* to) {
    return QStringLiteral("Przepisuje „%1” do „%2”")
        .arg(qs(slotControlLabel(fromSlot, columnLabel(from))),
             qs(slotControlLabel(toSlot, columnLabel(to))));
}

template <class B> B* rowBox(QWidget* parent, const QString& name, int x, int slot) {
    auto* b = new B(parent);
    b->setObjectName(name);
    b->setGeometry(x, rows::top(slot), kBoxWidth + 2, rows::kFieldHeight);
    return b;
}

} // namespace

TabBaza::TabBaza(AppContext& ctx, QWidget* parent)
    : InputTableView(ctx, QStringLiteral("TabBaza"), parent) {
    planColumns();
    buildHeadings();
    rowLabels(this, plan_.width(col_.label));
    for (int slot = 1; slot <= memmap::kInputSlots; ++slot)
        buildRow(slot);
    horizontalLine(this, rows::kLabelLeft, rows::kSeparatorTop, right() - rows::kLabelLeft);
    const int lineHeight = memmap::kInputSlots * rows::kRowStep + 38;
    verticalLine(this, kAlarmLine + plan_.shift(col_.alarm), rows::kHeadingTop, lineHeight);
    verticalLine(this, kReturnLine + plan_.shift(col_.ret), rows::kHeadingTop, lineHeight);
    buildIcons();
    buildFooter();
}

void TabBaza::planColumns() {
    const QFont f = font();
    // A heading needs its text's width: the drawn headings sit close to their neighbours.
    const auto heading = [&](const char* name, const char* polish) {
        return textWidth(f, headingTexts(QString::fromLatin1(name), QString::fromUtf8(polish)));
    };
    const auto fixed = [&](const char* text) { return textWidth(f, {QString::fromUtf8(text)}); };
    // The unit beside the input-time list, and the list itself with its widest time.
    unitWidth_ =
        std::max(kUnitWidth, textWidth(f, {QStringLiteral("sec."), QStringLiteral("min.")}));
    QStringList times;
    for (int slot = 1; slot <= memmap::kInputSlots; ++slot)
        for (const auto& t : items::inputTime(slot))
            times << qs(t);
    timeWidth_ = comboWidthFor(this, times, kTimeWidth, rows::kFieldHeight);
    const int timeGroup = (kUnitX - kTimeX) + (timeWidth_ - kTimeWidth) + unitWidth_;

    const int labelWidth = std::max(rows::labelWidth(f), heading("LabelInputs", "Wejścia"));
    col_.label = plan_.add(rows::kLabelLeft, rows::kLabelWidth, labelWidth);
    col_.ncNo = plan_.add(kNcNoHeadingX, kNcNoHeadingWidth, fixed("NC/NO"));
    col_.time = plan_.add(kTimeX, kTimeGroupWidth,
                          std::max(timeGroup, heading("LabelInputTime", "Czas wejścia")));
    col_.reset = plan_.add(kResetX - kBoxHeadingLeft, kBoxHeadingWidth, fixed("Reset"));
    col_.status = plan_.add(kStatusX - kBoxHeadingLeft, kBoxHeadingWidth, fixed("Status"));
    // The bold "Status urządzenia" that replaces an SMS text must fit where the text was.
    QFont bold = f;
    bold.setBold(true);
    const int status = textWidth(bold, {QString::fromUtf8(items::kStatusLabel)}) + 8;
    // The headings between the separator lines and the next column.
    col_.alarm = plan_.add(kAlarmLine + 3, kAlarmTextX - 1 - (kAlarmLine + 3), fixed("Alarm"));
    col_.alarmText =
        plan_.add(kAlarmTextX, kTextWidth, std::max(status, heading("LabelSmsText", "Treść SMS")));
    col_.alarmPhone =
        plan_.add(kAlarmPhoneX, kPhoneWidth, heading("LabelPhoneNumber", "Nr telefonu"));
    col_.ret = plan_.add(kReturnLine + 3, kReturnTextX - 1 - (kReturnLine + 3),
                         heading("LabelReturn", "Powrót"));
    col_.returnText = plan_.add(kReturnTextX, kTextWidth,
                                std::max(status, heading("LabelSmsText2", "Treść SMS")));
    col_.returnPhone =
        plan_.add(kReturnPhoneX, kPhoneWidth, heading("LabelPhoneNumber2", "Nr telefonu"));
}

int TabBaza::right() const {
    return kRight + plan_.grown();
}

void TabBaza::buildHeadings() {
    const int y = rows::kHeadingTop;
    const auto centre = Qt::AlignCenter;
    const auto over = [&](int column, const char* text, const char* name = nullptr) {
        fixedLabel(this, QString::fromUtf8(text), plan_.left(column), y, plan_.width(column),
                   centre, name ? QString::fromLatin1(name) : QString());
    };
    fixedLabel(this, QStringLiteral("Wejścia"), rows::kLabelLeft, y, plan_.width(col_.label),
               Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("LabelInputs"));
    over(col_.ncNo, "NC/NO");
    over(col_.time, "Czas wejścia", "LabelInputTime");
    over(col_.reset, "Reset");
    over(col_.status, "Status");
    over(col_.alarm, "Alarm");
    over(col_.alarmText, "Treść SMS", "LabelSmsText");
    over(col_.alarmPhone, "Nr telefonu", "LabelPhoneNumber");
    over(col_.ret, "Powrót", "LabelReturn");
    over(col_.returnText, "Treść SMS", "LabelSmsText2");
    over(col_.returnPhone, "Nr telefonu", "LabelPhoneNumber2");
}

void TabBaza::buildRow(int slot) {
    Row& r = rows_[std::size_t(slot - 1)];
    const int y = rows::top(slot);

    // The radio pair is managed by the core's rule, so that a file may leave both off.
    r.nc =
        rowBox<QRadioButton>(this, rows::name("INPUT_NC", slot), plan_.at(col_.ncNo, kNcX), slot);
    r.no =
        rowBox<QRadioButton>(this, rows::name("INPUT_NO", slot), plan_.at(col_.ncNo, kNoX), slot);
    for (QRadioButton* b : {r.nc, r.no}) {
        b->setAutoExclusive(false);
        b->setEnabled(constraints::ncNoSelectable(slot));
        b->setToolTip(b == r.nc ? QStringLiteral("NC") : QStringLiteral("NO"));
        nameBySlot(b, slot, b == r.nc ? "NC" : "NO");
        // Toggled, not clicked: assistive technology toggles without a click.
        connect(b, &QRadioButton::toggled, this, [this, slot, nc = b == r.nc] {
            InputRow& row = settings().input(slot);
            if (nc)
                setRadio(row.nc, row.no, true);
            else
                setRadio(row.no, row.nc, true);
            commitEdit();
        });
    }

    r.time = new QComboBox(this);
    r.time->setObjectName(rows::name("INPUT_DEAF_TIME", slot));
    r.time->setGeometry(plan_.at(col_.time, kTimeX, true), y, timeWidth_, rows::kFieldHeight);
    r.time->setMaxVisibleItems(20);
    showItems(r.time, items::inputTime(slot));
    r.time->setEnabled(constraints::inputTimeEditable(slot));
    nameBySetting(r.time, "INPUT_DEAF_TIME", slot);
    connect(r.time, &QComboBox::activated, this, [this, slot](int index) {
        settings().input(slot).deafTime = index;
        commitEdit();
    });
    fixedLabel(this, QString::fromLatin1(constraints::inputTimeUnit(slot)),
               plan_.at(col_.time, kUnitX, true) + timeWidth_ - kTimeWidth, y, unitWidth_,
               Qt::AlignLeft | Qt::AlignVCenter, rows::name("INPUT_DEAF_UNIT", slot));

    r.reset = rowBox<QCheckBox>(this, rows::name("INPUT_RESET", slot),
                                plan_.at(col_.reset, kResetX), slot);
    r.reset->setEnabled(constraints::resetEditable(slot));
    nameBySetting(r.reset, "INPUT_RESET", slot);
    connect(r.reset, &QCheckBox::toggled, this, [this, slot](bool on) {
        settings().input(slot).reset = on;
        commitEdit();
    });
    r.status = rowBox<QCheckBox>(this, rows::name("INPUT_STATUS", slot),
                                 plan_.at(col_.status, kStatusX), slot);
    nameBySetting(r.status, "INPUT_STATUS", slot);
    connect(r.status, &QCheckBox::toggled, this, [this, slot](bool on) {
        settings().input(slot).status = on;
        commitEdit();
    });

    r.alarm = actionCell(true, slot, 1, plan_.at(col_.alarm, kAlarmX));
    r.alarmText = statusField("ALARM_TEXT", slot, plan_.left(col_.alarmText),
                              plan_.width(col_.alarmText), kTextLimit, &InputRow::alarmText);
    r.alarmPhone = rowEdit("ALARM_PHONE", slot, plan_.left(col_.alarmPhone),
                           plan_.width(col_.alarmPhone), kPhoneLimit, &InputRow::alarmPhone);
    r.ret = actionCell(false, slot, 1, plan_.at(col_.ret, kReturnX));
    r.returnText = statusField("RETURN_TEXT", slot, plan_.left(col_.returnText),
                               plan_.width(col_.returnText), kTextLimit, &InputRow::returnText);
    r.returnPhone = rowEdit("RETURN_PHONE", slot, plan_.left(col_.returnPhone),
                            plan_.width(col_.returnPhone), kPhoneLimit, &InputRow::returnPhone);
    if (!constraints::returnFieldsEditable(slot)) {
        markNotApplicable(r.returnText.edit);
        markNotApplicable(r.returnPhone);
    }
}

void TabBaza::buildIcons() {
    const int y = rows::kBelowTable;
    using I = ColumnIcon;
    namespace e = editing;
    const int mid = (ActionCellLabel::kWidth - kColumnIconSize) / 2;
    const QString changeAll = kChangeAll.toLower();
    const QString copyFirst = QStringLiteral("skopiuj z pierwszego numeru do pozostałych");
    const QString clearPhones = QStringLiteral("wyczyść numery telefonów");
    const QString clearTexts = QStringLiteral("wyczyść treści SMSów");
    actionIcon("setNC", I::ChooseAll, kChangeAll, plan_.at(col_.ncNo, kNcX), y, e::setNC,
               iconName("INPUT_NC", 0, QStringLiteral("wszystkie NC")));
    actionIcon("setNO", I::ChooseAll, kChangeAll, plan_.at(col_.ncNo, kNoX), y, e::setNO,
               iconName("INPUT_NO", 0, QStringLiteral("wszystkie NO")));
    actionIcon("setReset", I::Invert, kChangeAll, plan_.at(col_.reset, kResetX), y, e::setReset,
               iconName("INPUT_RESET", 0, changeAll));
    actionIcon("setStatus", I::Invert, kChangeAll, plan_.at(col_.status, kStatusX), y, e::setStatus,
               iconName("INPUT_STATUS", 0, changeAll));
    actionIcon("setAlarm", I::Cycle, kChangeAll, plan_.at(col_.alarm, kAlarmX + mid), y,
               e::setAlarm, iconName("ALARM_ACTION", 1, changeAll));
    actionIcon("Image17", I::Clear, kClearTexts,
               plan_.at(col_.alarmText, kAlarmTextX + (kTextWidth - 16) / 2), y, e::clearAlarmTexts,
               iconName("ALARM_TEXT", 0, clearTexts));
    actionIcon("AlaramPhoneRepeat", I::CopyDown, kCopyFirst,
               plan_.at(col_.alarmPhone, kAlarmPhoneX + 8), y, e::copyFirstAlarmPhone,
               iconName("ALARM_PHONE", 0, copyFirst));
    actionIcon("clearAlarmPhone", I::Clear, kClearPhones,
               plan_.at(col_.alarmPhone, kAlarmPhoneX + 42), y, e::clearAlarmPhones,
               iconName("ALARM_PHONE", 0, clearPhones));
    // These two have no hint: assistive technology gets a description instead.
    auto* toReturn = actionIcon("AlarmPhoneCopy", I::CopyRight, QString(),
                                plan_.at(col_.alarmPhone, kAlarmPhoneX + kPhoneWidth - 24), y,
                                e::alarmPhoneToReturnPhone,
                                iconName("ALARM_PHONE", 0, QStringLiteral("przepisz do powrotu")));
    toReturn->setAccessibleDescription(copyDescription(1, "ALARM_PHONE", 2, "RETURN_PHONE"));
    actionIcon("setReturn", I::Cycle, kChangeAll, plan_.at(col_.ret, kReturnX + mid), y,
               e::setReturn, iconName("RETURN_ACTION", 1, changeAll));
    actionIcon("Image18", I::Clear, kClearTexts,
               plan_.at(col_.returnText, kReturnTextX + (kTextWidth - 16) / 2), y,
               e::clearReturnTexts, iconName("RETURN_TEXT", 0, clearTexts));
    auto* toAlarm =
        actionIcon("Image3", I::CopyLeft, QString(), plan_.at(col_.returnPhone, kReturnPhoneX + 8),
                   y, e::returnPhoneToAlarmPhone,
                   iconName("RETURN_PHONE", 0, QStringLiteral("przepisz do alarmu")));
    toAlarm->setAccessibleDescription(copyDescription(2, "RETURN_PHONE", 1, "ALARM_PHONE"));
    actionIcon("Image2", I::CopyDown, kCopyFirst, plan_.at(col_.returnPhone, kReturnPhoneX + 42), y,
               e::copyFirstReturnPhone, iconName("RETURN_PHONE", 0, copyFirst));
    actionIcon("clearReturnPhone", I::Clear, kClearPhones,
               plan_.at(col_.returnPhone, kReturnPhoneX + kPhoneWidth - 24), y,
               e::clearReturnPhones, iconName("RETURN_PHONE", 0, clearPhones));
}

void TabBaza::buildFooter() {
    const int y = rows::kBelowTable + kColumnIconSize;
    const int width = right() - kLogoWidth - 8 - rows::kLabelLeft;
    const char* lines[] = {"Powrót AC zawsze po 1 minucie.",
                           "Progi detekcji napięć i zasięgu GSM znajdują się w zakładce PARAMETRY. "
                           "\"Ex\" oznacza wejścia Expandera."};
    // A line too long for the room beside the logo wraps.
    int top = y;
    for (int i = 0; i < 2; ++i) {
        QLabel* l = fixedLabel(this, QString::fromUtf8(lines[i]), rows::kLabelLeft, top, width,
                               Qt::AlignLeft | Qt::AlignVCenter,
                               QStringLiteral("LabelFooter%1").arg(i + 1));
        int height = std::max(kFooterStep, l->fontMetrics().height());
        if (textWidth(l->font(), {l->text()}) > width) {
            l->setWordWrap(true);
            height = std::max(height, l->heightForWidth(width));
        }
        l->resize(width, height);
        top += height;
    }
    auto* logo = new PictureLabel(this, QStringLiteral("Image1"),
                                  logoPixmap(QSize(kLogoWidth, kLogoHeight)), QString());
    logo->move(right() - kLogoWidth, y);
    logo->setActsOnDoubleClick(true);
    logo->setAccessibleName(QStringLiteral("Strona producenta"));
    logo->setAccessibleDescription(QStringLiteral("Otwiera stronę producenta w przeglądarce"));
    connect(logo, &PictureLabel::doubleClicked, this,
            [this] { ctx_.ui.openUrl(QUrl(QString::fromLatin1(kMakerPage))); });
}

void TabBaza::refresh() {
    const Settings& s = settings();
    for (int slot = 1; slot <= memmap::kInputSlots; ++slot) {
        const InputRow& row = s.input(slot);
        Row& r = rows_[std::size_t(slot - 1)];
        showChecked(r.nc, row.nc);
        showChecked(r.no, row.no);
        showIndex(r.time, row.deafTime);
        showChecked(r.reset, row.reset);
        showChecked(r.status, row.status);
        showCell(r.alarm, row, true, 1);
        showCell(r.ret, row, false, 1);
        showStatusField(r.alarmText, row.alarmText, row.status);
        showStatusField(r.returnText, row.returnText, row.status);
        showFieldText(r.alarmPhone, row.alarmPhone);
        showFieldText(r.returnPhone, row.returnPhone);
    }
}

} // namespace qv::gui
