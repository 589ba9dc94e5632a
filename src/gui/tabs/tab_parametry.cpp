#include "gui/tabs/tab_parametry.hpp"

#include "config/dependent_controls.hpp"
#include "config/item_lists.hpp"
#include "gui/app/accessibility.hpp"
#include "gui/tabs/tab_layout.hpp"

#include <QGridLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace qv::gui {

namespace {
// Temperatures are typed with one decimal ("-12.5"); six characters hold "-999.9".
constexpr int kTemperatureLength = 6;
constexpr int kEditWidthShort = 60;
constexpr int kPhoneEditWidth = 110;
constexpr int kGsmLevelMax = 31;

} // namespace

TabParametry::TabParametry(AppContext& ctx, QWidget* parent)
    : BoundView(ctx, QStringLiteral("TabParametry"), parent) {
    // Built in reading order, left column first, so the keyboard walks them so: the
    // arguments of one call would be built in an order of the compiler's choosing.
    QWidget* system = buildSystemGroup();
    QWidget* security = buildSecurityGroup();
    QWidget* thresholds = buildThresholdGroup();
    QWidget* compatibility = buildCompatibilityGroup();
    QWidget* energy = buildEnergyGroup();
    QWidget* temperature = buildTemperatureGroup();
    twoColumns(this, {system, security}, {thresholds, compatibility, energy, temperature});
}

QWidget* TabParametry::buildSystemGroup() {
    QFormLayout* form = nullptr;
    auto* g = formGroup(this, "GroupSystem", QStringLiteral(" Parametry systemu "), &form);
    auto* pin = bindText(namedEdit(g, "fPIN"), field(&Settings::pin), memmap::wPIN);
    pin->setFixedWidth(kEditWidthShort);
    addFormRow(form, QStringLiteral("PIN karty SIM:"), pin);
    auto* object = bindText(namedEdit(g, "fOBJECT"), field(&Settings::object), memmap::wOBJECT);
    object->setFixedWidth(kEditWidthShort);
    addFormRow(form, QStringLiteral("Numer obiektu:"), object);
    auto* name =
        bindText(namedEdit(g, "fOBJECT_NAME"), field(&Settings::objectName), memmap::wOBJECT_NAME);
    name->setMinimumWidth(220);
    addFormRow(form, QStringLiteral("Nazwa obiektu:"), name);
    addFormRow(
        form, QStringLiteral("Licznik naruszeń:"),
        bindIndex(namedList(g, "fEVENT_CNT", items::eventCnt(), 60), field(&Settings::eventCnt)));
    addFormRow(form, QStringLiteral("Reset licznika naruszeń [min.]:"),
               bindIndex(namedList(g, "fEVENT_CNT_RESET", items::eventCntReset(), 60),
                         field(&Settings::eventCntReset)));
    form->addRow(bindFlag(namedCheck(g, "fEVENT_CNT_RESET_ON_CLIP",
                                     QStringLiteral("Resetuj licznik naruszeń CLIPem")),
                          field(&Settings::eventCntResetOnClip)));
    addFormRow(
        form, QStringLiteral("Liczba prób SMS/CLIP:"),
        bindIndex(namedList(g, "fRETRY_CNT", items::retryCnt(), 60), field(&Settings::retryCnt)));
    addFormRow(
        form, QStringLiteral("Długość CLIP:"),
        bindIndex(namedList(g, "fCLIP_TIME", items::clipTime(), 80), field(&Settings::clipTime)));
    auto* testOnClip = namedCheck(g, "fTEST_ON_CLIP", QStringLiteral("Odpowiadaj testem na CLIP"));
    auto* controlSms =
        namedCheck(g, "fENABLE_CONTROL_SMS", QStringLiteral("Akceptuj SMSy sterujące"));
    bindFlag(testOnClip, field(&Settings::testOnClip));
    bindFlag(controlSms, field(&Settings::enableControlSms));
    form->addRow(inRow(g, {testOnClip, controlSms}));
    return g;
}

QWidget* TabParametry::buildSecurityGroup() {
    QFormLayout* form = nullptr;
    auto* g = formGroup(this, "GroupSecurity", QStringLiteral(" Zabezpieczenia "), &form);
    auto* password =
        bindText(namedEdit(g, "fPASSWORD"), field(&Settings::password), memmap::wPASSWORD);
    password->setFixedWidth(kEditWidthShort);
    addFormRow(form, QStringLiteral("Hasło urządzenia:"), password);
    form->addRow(bindFlag(
        namedCheck(g, "fENABLE_ANY_PHONE", QStringLiteral("Dowolny telefon sterujący/CLIPujący")),
        field(&Settings::enableAnyPhone)));
    auto* label = namedLabel(g, "SecurityPhoneLabel", QStringLiteral("Numery uprawnione:"));
    auto* phones = new QWidget(g);
    auto* grid = new QGridLayout(phones);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    std::vector<QWidget*> shown{label};
    for (int k = 1; k <= memmap::kSecurityPhones; ++k) {
        const std::string name = "fSecurityPhone" + std::to_string(k);
        auto* e = bindText(
            namedEdit(phones, name.c_str()),
            [k](Settings& s) -> std::string& { return s.securityPhones.at(std::size_t(k - 1)); },
            memmap::wPHONE);
        e->setFixedWidth(kPhoneEditWidth);
        nameBySetting(e, "SECURITY_PHONE", k);
        grid->addWidget(e, (k - 1) / 2, (k - 1) % 2);
        shown.push_back(e);
    }
    grid->setColumnStretch(2, 1);
    form->addRow(label, phones);
    auto* more = new QPushButton(QStringLiteral("Dodatkowe numery sterujące"), g);
    more->setObjectName(QStringLiteral("Button4"));
    form->addRow(inRow(g, {more}));
    // The numbers keep their room while hidden ("Dowolny telefon"): nothing around them moves.
    for (QWidget* w : shown) {
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        w->setSizePolicy(policy);
    }
    onRefresh([this, shown] {
        for (QWidget* w : shown)
            w->setVisible(securityPhonesVisible(settings()));
    });
    return g;
}

QWidget* TabParametry::buildThresholdGroup() {
    QFormLayout* form = nullptr;
    auto* g = formGroup(this, "GroupThresholds", QStringLiteral(" Progi napięć "), &form);
    addFormRow(
        form, QStringLiteral("Próg obecności AC [V]:"),
        bindIndex(namedList(g, "fAC_LEVEL", items::acLevel(), 60), field(&Settings::acLevel)));
    addFormRow(
        form, QStringLiteral("Akumulator naładowany [V]:"),
        bindIndex(namedList(g, "fACCU_MAX", items::accuMax(), 60), field(&Settings::accuMax)));
    addFormRow(
        form, QStringLiteral("Akumulator rozładowany [V]:"),
        bindIndex(namedList(g, "fACCU_MIN", items::accuMin(), 60), field(&Settings::accuMin)));
    auto* slider = new QSlider(Qt::Horizontal, g);
    slider->setObjectName(QStringLiteral("RangeAlarmSlide"));
    slider->setRange(0, kGsmLevelMax);
    slider->setPageStep(3);
    slider->setFixedWidth(130);
    bindValue(slider, field(&Settings::gsmLevel));
    slider->setAccessibleName(QStringLiteral("Alarm zasięgu GSM poniżej"));
    auto* percent = namedLabel(g, "rangeAlarm", QString());
    percent->setMinimumWidth(36);
    form->addRow(QStringLiteral("Alarm zasięgu GSM poniżej:"), inRow(g, {slider, percent}));
    onRefresh([this, percent] { percent->setText(qs(gsmLevelCaption(settings().gsmLevel))); });

    const std::pair<const char*, const char*> analog[] = {
        {"fANALOG_INPUT_3_ENABLE", "fAnalog_Input_3"},
        {"fANALOG_INPUT_4_ENABLE", "fAnalog_Input_4"}};
    for (int i = 0; i < 2; ++i) {
        const int input = 3 + i;
        auto* box = namedCheck(g, analog[i].first,
                               QStringLiteral("Ustaw wejście nr %1 jako pomiarowe").arg(input));
        bindFlag(box,
                 input == 3 ? field(&Settings::analog3Enable) : field(&Settings::analog4Enable));
        auto* list = namedList(g, analog[i].second, items::analogLevel(), 60);
        bindIndex(list, input == 3 ? field(&Settings::analog3) : field(&Settings::analog4));
        auto* unit = new QLabel(QStringLiteral("V"), g);
        form->addRow(inRow(g, {box, list, unit}));
        nameBySetting(list, input == 3 ? "ANALOG_INPUT_3" : "ANALOG_INPUT_4");
        onRefresh([this, list, input] {
            list->setEnabled(input == 3 ? analog3ListEnabled(settings())
                                        : analog4ListEnabled(settings()));
        });
    }
    return g;
}

QWidget* TabParametry::buildCompatibilityGroup() {
    QFormLayout* form = nullptr;
    auto* g = formGroup(this, "GroupCompatibility", QStringLiteral(" Kompatybilność "), &form);
    auto* vorkal = namedRadio(g, "fVORKAL", QStringLiteral("Tryb Vorkal"));
    auto* dgg16z = namedRadio(g, "fDGG16Z", QStringLiteral("Tryb DGG16Z"));
    bindRadio(vorkal, field(&Settings::vorkal), dgg16z, field(&Settings::dgg16z));
    form->addRow(inRow(g, {vorkal, dgg16z}));
    form->addRow(
        bindFlag(namedCheck(g, "fDGG16Z_SMS_OFF", QStringLiteral("Wyłącz DGG16Z dla SMSów")),
                 field(&Settings::dgg16zSmsOff)));
    auto* qvs2 = namedRadio(g, "rbSmsQvs2", QStringLiteral("SMS w formacie QVS2"));
    auto* stam = namedRadio(g, "rbSmsStam", QStringLiteral("SMS w formacie STAM"));
    bindRadio(qvs2, field(&Settings::smsQvs2), stam, field(&Settings::smsStam));
    form->addRow(inRow(g, {qvs2, stam}));
    return g;
}

QWidget* TabParametry::buildEnergyGroup() {
    QFormLayout* form = nullptr;
    auto* g = formGroup(this, "GroupEnergy", QStringLiteral(" Oszczędzanie energii "), &form);
    addFormRow(form, QStringLiteral("Tryb ekonomiczny:"),
               bindIndex(namedList(g, "fECONO_MODE", items::econoMode(), 60),
                         field(&Settings::econoMode)));
    auto* leds = namedCheck(g, "fLEDS_OFF", QStringLiteral("Wyłącz diody LED"));
    auto* gsm = namedCheck(g, "fGSM_OFF", QStringLiteral("Wyłącz moduł GSM"));
    bindFlag(leds, field(&Settings::ledsOff));
    bindFlag(gsm, field(&Settings::gsmOff));
    form->addRow(inRow(g, {leds, gsm}));
    return g;
}

QWidget* TabParametry::buildTemperatureGroup() {
    QFormLayout* form = nullptr;
    auto* g = formGroup(this, "GroupTemperature",
                        QStringLiteral(" Czujnik temperatury na wejsciu "), &form);
    struct Sensor {
        const char* key;
        const char* box;
        const char* caption;
        bool Settings::*enable;
        const char* high;
        std::string Settings::*highText;
        const char* low;
        std::string Settings::*lowText;
    };
    const Sensor sensors[] = {
        {"SENSOR_2", "CheckBoxCzujka2", "Wejście 2", &Settings::sensor2Enable, "EditCzujka2LevelH",
         &Settings::sensor2LevelH, "EditCzujka2LevelL", &Settings::sensor2LevelL},
        {"SENSOR_5", "CheckBoxCzujka5", "Wejście 5", &Settings::sensor5Enable, "EditCzujka5LevelH",
         &Settings::sensor5LevelH, "EditCzujka5LevelL", &Settings::sensor5LevelL},
    };
    for (const Sensor& s : sensors) {
        auto* box = namedCheck(g, s.box, QString::fromUtf8(s.caption));
        bindFlag(box, field(s.enable));
        auto* high = bindText(namedEdit(g, s.high), field(s.highText), kTemperatureLength);
        auto* low = bindText(namedEdit(g, s.low), field(s.lowText), kTemperatureLength);
        high->setFixedWidth(kEditWidthShort);
        low->setFixedWidth(kEditWidthShort);
        const std::string key = s.key;
        nameBySetting(box, key + "_ENABLE");
        nameBySetting(high, key + "_LevelH");
        nameBySetting(low, key + "_LevelL");
        form->addRow(inRow(g, {box, new QLabel(QStringLiteral("górny [°C]:")), high,
                               new QLabel(QStringLiteral("dolny [°C]:")), low}));
    }
    // Part of the tab and converted with it, but kept hidden.
    g->hide();
    return g;
}

} // namespace qv::gui
