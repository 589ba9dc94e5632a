#include "gui/main_window/sms_description_form.hpp"

#include <QPlainTextEdit>

namespace qv::gui {

namespace {
constexpr const char* kLines[] = {
    "*A1           - Uzbraja centralkę (musi być aktywowana)",
    "*A0           - Rozbraja centralkę (musi być aktywowana)",
    "",
    "=== Tryb \"Bistabilne SMS\" i \"Bistabilne CLIP/SMS\" ===================",
    "*Wx0          - Rozłącza wyjście",
    "*Wx1          - Załącza wyjście",
    "*Wx!          - Zmienia stan wyjścia na przeciwny",
    " Gdzie x oznacza numer wyjścia",
    "Przykład:",
    "*W10          - Wyłącz wyjście 1",
    "*W11          - Włącz wyjście 1",
    "*W60          - Wyłącz wyjście 6",
    "*W6!          - Zmień stan wyjścia 6 na przeciwny",
    "Uwagi:",
    "W przypadku opcji \"Bistabilne CLIP/SMS\" zadzwonienie z numeru",
    "uprawnionego przełączy tak zdefiniowane wyjście na stan przeciwny.",
    "",
    "=== Tryb \"Monostabilne SMS\" i \"Monostabilne CLIP/SMS\" ================",
    "*WxM          - Załącza wyjście na zdefiniowany w konfiguracji czas",
    "*WxMyy        - Załącza wyjście na zdefiniowany w konfiguracji czas",
    " Gdzie x oznacza numer wyjścia, yy czas w sekundach",
    "Przykład:",
    "*W1M          - Załączy wyjście 1 na czas zdefiniowany w konfiguracji",
    "*W2M5         - Załączy wyjście 2 na 5 sekund",
    "*W4M99        - Załączy wyjście 4 na 99 sekundy (to czas maksymalny)",
    "Uwagi:",
    "W przypadku opcji \"Monostabilne CLIP/SMS\" zadzwonienie z numeru",
    "uprawnionego załączy tak zdefiniowane wyjście na czas zdefiniowany",
    "w konfiguracji.",
    "",
    "",
    "W SMSach sterujących wielkość liter nie ma znaczenia.",
};
constexpr int kWidth = 620;
constexpr int kHeight = 480;
} // namespace

QStringList controlSmsDescription() {
    QStringList lines;
    for (const char* l : kLines)
        lines << QString::fromUtf8(l);
    return lines;
}

SmsDescriptionForm::SmsDescriptionForm(AppContext&, QWidget* parent)
    : TextWindow(QStringLiteral("TFormSMSDescription"), QStringLiteral("Opisy SMSów sterujących"),
                 parent) {
    memo()->setReadOnly(true);
    memo()->setPlainText(controlSmsDescription().join(QLatin1Char('\n')));
    resize(kWidth, kHeight);
}

QStringList SmsDescriptionForm::lines() const {
    return memo()->toPlainText().split(QLatin1Char('\n'));
}

} // namespace qv::gui
