#include "gui/tabs/tab_centralka.hpp"

#include "config/defaults.hpp"
#include "config/dependent_controls.hpp"
#include "config/item_lists.hpp"
#include "gui/app/accessibility.hpp"
#include "gui/tabs/tab_layout.hpp"
#include "gui/tabs/table_widgets.hpp"
#include "gui/widgets/gradient_toolbar.hpp"
#include "gui/widgets/toolbar_icons.hpp"

#include <QGridLayout>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace qv::gui {

namespace {
// A control shown only in some states keeps its room while hidden: showing it moves nothing.
void keepRoomWhenHidden(QWidget* w) {
    QSizePolicy policy = w->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    w->setSizePolicy(policy);
}

constexpr int kTypeListWidth = 160;
constexpr int kParamListWidth = 110;
constexpr int kParamCaptionWidth = 100;
constexpr int kNameLabelWidth = 40;

} // namespace

TabCentralka::TabCentralka(AppContext& ctx, QWidget* parent)
    : BoundView(ctx, QStringLiteral("TabCentralka"), parent) {
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(8, 4, 8, 6);
    page->setSpacing(6);
    page->addWidget(buildToolBar());
    auto* columns = new QHBoxLayout;
    columns->setSpacing(10);
    columns->addWidget(buildOutputGroup(), 0, Qt::AlignTop);
    // The button first: the alarm panel's groups below it keep their room while hidden, and
    // the button does not float below an empty space.
    auto* right = new QVBoxLayout;
    auto* descriptions = new QPushButton(QStringLiteral("Opisy SMSów"), this);
    descriptions->setObjectName(QStringLiteral("Button3"));
    right->addWidget(descriptions, 0, Qt::AlignLeft);
    right->addWidget(buildDelayGroup());
    right->addWidget(buildRemoteGroup());
    right->addStretch(1);
    columns->addLayout(right, 1);
    page->addLayout(columns);
    page->addWidget(buildZoneGroup());
    page->addStretch(1);
}

QWidget* TabCentralka::buildToolBar() {
    auto* bar = new GradientToolBar(QStringLiteral("ToolBar2"), this);
    bar->setIconSize(QSize(24, 24));
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    auto* button = new QToolButton(bar);
    button->setObjectName(QStringLiteral("centralkaButton"));
    button->setText(QStringLiteral("  CENTRALKA  "));
    button->setToolTip(QStringLiteral("Włącz / wyłącz funkcje centralki alarmowej"));
    button->setCheckable(true);
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    QFont bold = button->font();
    bold.setBold(true);
    button->setFont(bold);
    bar->addWidget(button);
    // Toggled: a click, Space, or the toggle action of assistive technology.
    connect(button, &QToolButton::toggled, this, [this] { edit(toggleAlarmPanel); });

    // The alarm panel's switch as a setting; only the button changes it.
    auto* useZone = namedCheck(this, "fUSE_ZONE", QStringLiteral("Aktywuj centralkę"));
    bindFlag(useZone, field(&Settings::useZone));
    useZone->hide();

    onRefresh([this, button, shownOn = std::make_shared<int>(-1)] {
        const bool on = settings().useZone;
        showChecked(button, on);
        if (*shownOn != int(on)) {
            button->setIcon(toolIcon(on ? ToolIcon::AlarmPanelOn : ToolIcon::AlarmPanelOff));
            *shownOn = int(on);
        }
    });
    return bar;
}

QWidget* TabCentralka::buildOutputGroup() {
    auto* g = new QGroupBox(QStringLiteral(" Wyjścia "), this);
    g->setObjectName(QStringLiteral("GroupOutputs"));
    auto* grid = new QGridLayout(g);
    grid->setContentsMargins(8, 4, 8, 6);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(4);
    int line = 0;
    for (int o = 1; o <= memmap::kOutputs; ++o) {
        const std::string n = std::to_string(o);
        auto* name =
            namedLabel(g, ("OutputNameLabel" + n).c_str(),
                       o == 1 ? QStringLiteral("S5 1:") : QStringLiteral("Ex %1:").arg(o - 1));
        name->setFixedWidth(kNameLabelWidth);
        if (o == 1) {
            QPalette pal = name->palette();
            pal.setColor(QPalette::WindowText, QColor(0xC0, 0x00, 0x00)); // red, readable
            name->setPalette(pal);
        }
        auto* type =
            namedList(g, ("fOUTPUT_TYPE" + n).c_str(), items::outputTypes(o), kTypeListWidth);
        // The parameter's caption and list keep their room while hidden, as wide as their
        // longest texts need: choosing a type never moves or widens anything.
        auto* caption = namedLabel(g, ("OutputParamLabel" + n).c_str(), QString());
        caption->setFixedWidth(std::max(
            kParamCaptionWidth, textWidth(caption->font(), {QStringLiteral("Które wejście:"),
                                                            QStringLiteral("Czas załączenia:")}) +
                                    4));
        auto* param = namedList(g, ("fOUTPUT_PARAM" + n).c_str(), {}, kParamListWidth);
        QStringList params;
        for (ParamList list : {ParamList::InputSlots, ParamList::Seconds})
            for (const auto& item : outputParamItems(list))
                params << qs(item);
        param->setFixedWidth(comboWidthFor(param, params, kParamListWidth));
        keepRoomWhenHidden(caption);
        keepRoomWhenHidden(param);
        nameBySetting(type, "OUTPUT_TYPE", o);
        nameBySetting(param, "OUTPUT_PARAM", o);
        grid->addWidget(name, line, 0);
        grid->addWidget(type, line, 1);
        grid->addWidget(caption, line, 2);
        grid->addWidget(param, line, 3);
        ++line;
        if (o == 1) grid->addWidget(buildBellPanel(g), line++, 0, 1, 4);

        connect(type, &QComboBox::activated, this, [this, o](int index) {
            edit([&](Settings& s) {
                s.output(o).type = index;
                applyOutputTypeRule(s, o);
            });
        });
        connect(param, &QComboBox::activated, this,
                [this, o](int index) { edit([&](Settings& s) { s.output(o).param = index; }); });
        onRefresh([this, o, type, caption, param] {
            const OutputRow& row = settings().output(o);
            showIndex(type, row.type);
            caption->setText(qs(row.paramCaption));
            showItems(param, outputParamItems(row.list));
            showIndex(param, row.param);
            param->setVisible(row.paramVisible);
        });
    }
    grid->setColumnStretch(4, 1);
    grid->setRowStretch(line, 1); // room left over stays below the outputs
    // As large as it is with the siren panel shown, so that showing the panel moves nothing
    // outside the group.
    g->setMinimumSize(g->sizeHint());
    return g;
}

QWidget* TabCentralka::buildBellPanel(QWidget* parent) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(QStringLiteral("BELLPanel"));
    panel->setFrameShape(QFrame::StyledPanel);
    auto* v = new QVBoxLayout(panel);
    v->setContentsMargins(6, 4, 6, 4);
    v->setSpacing(2);
    auto* time = bindIndex(namedList(panel, "fBELL_TIME", items::bellTime(), 80),
                           field(&Settings::bellTime));
    auto* timeLabel = namedLabel(panel, "LabelfBELL_TIME", QStringLiteral("Czas sygnału:"));
    timeLabel->setBuddy(time);
    v->addWidget(inRow(panel, {timeLabel, time}));
    v->addWidget(namedLabel(panel, "LabelBellMask", QStringLiteral("Wejścia wzbudzające:")));
    v->addWidget(slotBoxes(panel, "ZONE_BELL_MASK1", "BellLabel", &InputRow::zoneBellMask,
                           constraints::sirenEditable));
    onRefresh([this, panel] { panel->setVisible(sirenPanelVisible(settings())); });
    return panel;
}

QWidget* TabCentralka::buildZoneGroup() {
    auto* g = new QGroupBox(QStringLiteral(" Strefa "), this);
    g->setObjectName(QStringLiteral("ZONE1"));
    auto* h = new QHBoxLayout(g);
    h->setContentsMargins(8, 2, 8, 4);
    h->addWidget(namedLabel(g, "LabelZoneMask", QStringLiteral("Wejście 1 blokuje:")));
    h->addWidget(slotBoxes(g, "ZONE_MASK1", "ZoneLabel", &InputRow::zoneMask,
                           constraints::blockingEditable));
    h->addStretch(1);
    keepRoomWhenHidden(g);
    onRefresh([this, g] { g->setVisible(alarmPanelGroupsVisible(settings())); });
    return g;
}

QWidget* TabCentralka::buildDelayGroup() {
    QFormLayout* form = nullptr;
    auto* g = formGroup(this, "DELAY", QStringLiteral(" Opóźnienia "), &form);
    addFormRow(form, QStringLiteral("Opóźnienie wejścia zwłocznego (WE2) [s]:"),
               bindIndex(namedList(g, "fZONE1_DELAY", items::delaySeconds(), 55),
                         field(&Settings::zone1Delay)));
    addFormRow(form, QStringLiteral("Czas na uzbrojenie [s]:"),
               bindIndex(namedList(g, "fARM_DELAY", items::delaySeconds(), 55),
                         field(&Settings::armDelay)));
    keepRoomWhenHidden(g);
    onRefresh([this, g] { g->setVisible(alarmPanelGroupsVisible(settings())); });
    return g;
}

QWidget* TabCentralka::buildRemoteGroup() {
    QFormLayout* form = nullptr;
    auto* g = formGroup(this, "REMOTE", QStringLiteral(" Zdalne uzbrajanie/rozbrajanie"), &form);
    form->addRow(
        bindFlag(namedCheck(g, "fARM_SIGNAL", QStringLiteral("Sygnalizuj uzbrojenie/rozbrojenie")),
                 field(&Settings::armSignal)));
    form->addRow(
        bindFlag(namedCheck(g, "fARM_ON_CLIP", QStringLiteral("Uzbrajaj/rozbrajaj CLIPem")),
                 field(&Settings::armOnClip)));
    keepRoomWhenHidden(g);
    onRefresh([this, g] { g->setVisible(alarmPanelGroupsVisible(settings())); });
    return g;
}

QWidget* TabCentralka::slotBoxes(QWidget* parent, const char* key, const char* labelPrefix,
                                 bool InputRow::*flag, bool (*editable)(int)) {
    auto* boxes = new QWidget(parent);
    auto* grid = new QGridLayout(boxes);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(0);
    for (int s = 1; s <= memmap::kInputSlots; ++s) {
        const std::string n = std::to_string(s);
        auto* label =
            namedLabel(boxes, (labelPrefix + n).c_str(),
                       QString::fromUtf8(items::slotLabels()[std::size_t(s - 1)].shortLabel));
        label->setAlignment(Qt::AlignCenter);
        // Appended, not "f" + key + ...: GCC 12 at -O3 warns falsely on that concatenation.
        const std::string boxName = std::string("f").append(key).append("_").append(n);
        auto* box = namedCheck(boxes, boxName.c_str(), QString());
        nameBySetting(box, key, s);
        box->setEnabled(editable(s));
        bindFlag(box, [s, flag](Settings& st) -> bool& { return st.input(s).*flag; });
        grid->addWidget(label, 0, s - 1, Qt::AlignHCenter);
        grid->addWidget(box, 1, s - 1, Qt::AlignHCenter);
        grid->setColumnMinimumWidth(s - 1, 20);
    }
    return boxes;
}

} // namespace qv::gui
