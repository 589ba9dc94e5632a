#include "gui/tab_baza.hpp"

#include "config/defaults.hpp"
#include "config/item_lists.hpp"
#include "gui/accessibility.hpp"
#include "gui/app_context.hpp"
#include "gui/binding.hpp"
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

// Column positions. The input-time list is a little wider than its two digits need, so that
// "0.3" stays readable beside the list's drop button.
constexpr int kNcX = 76, kNoX = 94, kBoxWidth = 16;
constexpr int kTimeX = 114, kTimeWidth = 46, kUnitX = 162, kUnitWidth = 24;
constexpr int kResetX = 195, kStatusX = 233;
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
    buildHeadings();
    rowLabels(this);
    for (int slot = 1; slot <= memmap::kInputSlots; ++slot)
        buildRow(slot);
    horizontalLine(this, rows::kLabelLeft, rows::kSeparatorTop, kRight - rows::kLabelLeft);
    const int lineHeight = memmap::kInputSlots * rows::kRowStep + 38;
    verticalLine(this, kAlarmLine, rows::kHeadingTop, lineHeight);
    verticalLine(this, kReturnLine, rows::kHeadingTop, lineHeight);
    buildIcons();
    buildFooter();
}

void TabBaza::buildHeadings() {
    const int y = rows::kHeadingTop;
    const auto centre = Qt::AlignCenter;
    fixedLabel(this, QStringLiteral("Wejścia"), rows::kLabelLeft, y, rows::kLabelWidth,
               Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("LabelInputs"));
    fixedLabel(this, QStringLiteral("NC/NO"), kNcX - 2, y, 40, centre);
    fixedLabel(this, QStringLiteral("Czas wejścia"), kTimeX, y, kUnitX + kUnitWidth - kTimeX,
               centre, QStringLiteral("LabelInputTime"));
    fixedLabel(this, QStringLiteral("Reset"), kResetX - 9, y, 34, centre);
    fixedLabel(this, QStringLiteral("Status"), kStatusX - 9, y, 34, centre);
    fixedLabel(this, QStringLiteral("Alarm"), kAlarmX - 2, y, ActionCellLabel::kWidth + 4, centre);
    fixedLabel(this, QStringLiteral("Treść SMS"), kAlarmTextX, y, kTextWidth, centre,
               QStringLiteral("LabelSmsText"));
    fixedLabel(this, QStringLiteral("Nr telefonu"), kAlarmPhoneX, y, kPhoneWidth, centre,
               QStringLiteral("LabelPhoneNumber"));
    fixedLabel(this, QStringLiteral("Powrót"), kReturnX - 4, y, ActionCellLabel::kWidth + 8, centre,
               QStringLiteral("LabelReturn"));
    fixedLabel(this, QStringLiteral("Treść SMS"), kReturnTextX, y, kTextWidth, centre,
               QStringLiteral("LabelSmsText2"));
    fixedLabel(this, QStringLiteral("Nr telefonu"), kReturnPhoneX, y, kPhoneWidth, centre,
               QStringLiteral("LabelPhoneNumber2"));
}

void TabBaza::buildRow(int slot) {
    Row& r = rows_[std::size_t(slot - 1)];
    const int y = rows::top(slot);

    // The radio pair is managed by the core's rule, so that a file may leave both off.
    r.nc = rowBox<QRadioButton>(this, rows::name("INPUT_NC", slot), kNcX, slot);
    r.no = rowBox<QRadioButton>(this, rows::name("INPUT_NO", slot), kNoX, slot);
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
    r.time->setGeometry(kTimeX, y, kTimeWidth, rows::kFieldHeight);
    r.time->setMaxVisibleItems(20);
    showItems(r.time, items::inputTime(slot));
    r.time->setEnabled(constraints::inputTimeEditable(slot));
    nameBySetting(r.time, "INPUT_DEAF_TIME", slot);
    connect(r.time, &QComboBox::activated, this, [this, slot](int index) {
        settings().input(slot).deafTime = index;
        commitEdit();
    });
    fixedLabel(this, QString::fromLatin1(constraints::inputTimeUnit(slot)), kUnitX, y, kUnitWidth,
               Qt::AlignLeft | Qt::AlignVCenter, rows::name("INPUT_DEAF_UNIT", slot));

    r.reset = rowBox<QCheckBox>(this, rows::name("INPUT_RESET", slot), kResetX, slot);
    r.reset->setEnabled(constraints::resetEditable(slot));
    nameBySetting(r.reset, "INPUT_RESET", slot);
    connect(r.reset, &QCheckBox::toggled, this, [this, slot](bool on) {
        settings().input(slot).reset = on;
        commitEdit();
    });
    r.status = rowBox<QCheckBox>(this, rows::name("INPUT_STATUS", slot), kStatusX, slot);
    nameBySetting(r.status, "INPUT_STATUS", slot);
    connect(r.status, &QCheckBox::toggled, this, [this, slot](bool on) {
        settings().input(slot).status = on;
        commitEdit();
    });

    r.alarm = actionCell(true, slot, 1, kAlarmX);
    r.alarmText =
        statusField("ALARM_TEXT", slot, kAlarmTextX, kTextWidth, kTextLimit, &InputRow::alarmText);
    r.alarmPhone =
        rowEdit("ALARM_PHONE", slot, kAlarmPhoneX, kPhoneWidth, kPhoneLimit, &InputRow::alarmPhone);
    r.ret = actionCell(false, slot, 1, kReturnX);
    r.returnText = statusField("RETURN_TEXT", slot, kReturnTextX, kTextWidth, kTextLimit,
                               &InputRow::returnText);
    r.returnPhone = rowEdit("RETURN_PHONE", slot, kReturnPhoneX, kPhoneWidth, kPhoneLimit,
                            &InputRow::returnPhone);
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
    actionIcon("setNC", I::ChooseAll, kChangeAll, kNcX, y, e::setNC,
               iconName("INPUT_NC", 0, QStringLiteral("wszystkie NC")));
    actionIcon("setNO", I::ChooseAll, kChangeAll, kNoX, y, e::setNO,
               iconName("INPUT_NO", 0, QStringLiteral("wszystkie NO")));
    actionIcon("setReset", I::Invert, kChangeAll, kResetX, y, e::setReset,
               iconName("INPUT_RESET", 0, changeAll));
    actionIcon("setStatus", I::Invert, kChangeAll, kStatusX, y, e::setStatus,
               iconName("INPUT_STATUS", 0, changeAll));
    actionIcon("setAlarm", I::Cycle, kChangeAll, kAlarmX + mid, y, e::setAlarm,
               iconName("ALARM_ACTION", 1, changeAll));
    actionIcon("Image17", I::Clear, kClearTexts, kAlarmTextX + (kTextWidth - 16) / 2, y,
               e::clearAlarmTexts, iconName("ALARM_TEXT", 0, clearTexts));
    actionIcon("AlaramPhoneRepeat", I::CopyDown, kCopyFirst, kAlarmPhoneX + 8, y,
               e::copyFirstAlarmPhone, iconName("ALARM_PHONE", 0, copyFirst));
    actionIcon("clearAlarmPhone", I::Clear, kClearPhones, kAlarmPhoneX + 42, y, e::clearAlarmPhones,
               iconName("ALARM_PHONE", 0, clearPhones));
    // These two have no hint: assistive technology gets a description instead.
    auto* toReturn = actionIcon("AlarmPhoneCopy", I::CopyRight, QString(),
                                kAlarmPhoneX + kPhoneWidth - 24, y, e::alarmPhoneToReturnPhone,
                                iconName("ALARM_PHONE", 0, QStringLiteral("przepisz do powrotu")));
    toReturn->setAccessibleDescription(copyDescription(1, "ALARM_PHONE", 2, "RETURN_PHONE"));
    actionIcon("setReturn", I::Cycle, kChangeAll, kReturnX + mid, y, e::setReturn,
               iconName("RETURN_ACTION", 1, changeAll));
    actionIcon("Image18", I::Clear, kClearTexts, kReturnTextX + (kTextWidth - 16) / 2, y,
               e::clearReturnTexts, iconName("RETURN_TEXT", 0, clearTexts));
    auto* toAlarm = actionIcon("Image3", I::CopyLeft, QString(), kReturnPhoneX + 8, y,
                               e::returnPhoneToAlarmPhone,
                               iconName("RETURN_PHONE", 0, QStringLiteral("przepisz do alarmu")));
    toAlarm->setAccessibleDescription(copyDescription(2, "RETURN_PHONE", 1, "ALARM_PHONE"));
    actionIcon("Image2", I::CopyDown, kCopyFirst, kReturnPhoneX + 42, y, e::copyFirstReturnPhone,
               iconName("RETURN_PHONE", 0, copyFirst));
    actionIcon("clearReturnPhone", I::Clear, kClearPhones, kReturnPhoneX + kPhoneWidth - 24, y,
               e::clearReturnPhones, iconName("RETURN_PHONE", 0, clearPhones));
}

void TabBaza::buildFooter() {
    const int y = rows::kBelowTable + kColumnIconSize;
    const int width = kRight - kLogoWidth - 8 - rows::kLabelLeft;
    const char* lines[] = {"Powrót AC zawsze po 1 minucie.",
                           "Progi detekcji napięć i zasięgu GSM znajdują się w zakładce PARAMETRY. "
                           "\"Ex\" oznacza wejścia Expandera."};
    for (int i = 0; i < 2; ++i) {
        QLabel* l = fixedLabel(this, QString::fromUtf8(lines[i]), rows::kLabelLeft,
                               y + i * kFooterStep, width, Qt::AlignLeft | Qt::AlignVCenter,
                               QStringLiteral("LabelFooter%1").arg(i + 1));
        l->resize(width, kFooterStep);
    }
    auto* logo = new PictureLabel(this, QStringLiteral("Image1"),
                                  logoPixmap(QSize(kLogoWidth, kLogoHeight)), QString());
    logo->move(kRight - kLogoWidth, y);
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
