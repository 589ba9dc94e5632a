#include "gui/tabs/tab_addons.hpp"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include <tuple>
#include <utility>

namespace qv::gui {

namespace {
QGroupBox* buttonGroup(QWidget* parent, const char* groupName, const QString& caption,
                       const char* buttonName, const QString& buttonCaption,
                       int buttonWidth = 260) {
    auto* g = new QGroupBox(caption, parent);
    g->setObjectName(QString::fromLatin1(groupName));
    auto* h = new QHBoxLayout(g);
    h->setContentsMargins(10, 6, 10, 8);
    auto* b = new QPushButton(buttonCaption, g);
    b->setObjectName(QString::fromLatin1(buttonName));
    b->setMinimumWidth(buttonWidth);
    h->addWidget(b);
    h->addStretch(1);
    return g;
}
} // namespace

TabAddOns::TabAddOns(AppContext& ctx, QWidget* parent)
    : SettingsView(ctx, QStringLiteral("TabAddOns"), parent) {
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(8, 8, 8, 8);
    v->setSpacing(10);
    // The two add-on firmware functions side by side: the tab keeps the height it is reached
    // with, and the lowest is that of "GPRS/DTMF".
    auto* firmware = new QHBoxLayout;
    firmware->setSpacing(10);
    firmware->addWidget(buttonGroup(
        this, "GroupCounters", QStringLiteral(" Firmware z licznikami na wejsciach (subwersja 3) "),
        "Button5", QStringLiteral("Odczytaj/Zapisz liczniki wejsc Solvo-5")));
    firmware->addWidget(buttonGroup(
        this, "GroupPhoneBase", QStringLiteral("Firmware z 4000 numerów telefonów (subwersja 4)"),
        "Button8", QStringLiteral("Zarzadzaj numerami")));
    v->addLayout(firmware);
    // "Porównaj": what differs between this window and a file, or the module on the port.
    auto* compare = new QGroupBox(QStringLiteral("Porównaj konfigurację w oknie"), this);
    compare->setObjectName(QStringLiteral("GroupCompare"));
    auto* h = new QHBoxLayout(compare);
    h->setContentsMargins(10, 6, 10, 8);
    for (const auto& [name, caption] :
         {std::pair{"compareFileButton", QStringLiteral("Porównaj z plikiem...")},
          std::pair{"compareModuleButton", QStringLiteral("Porównaj z urządzeniem")}}) {
        auto* b = new QPushButton(caption, compare);
        b->setObjectName(QString::fromLatin1(name));
        b->setMinimumWidth(260);
        h->addWidget(b);
    }
    h->addStretch(1);
    v->addWidget(compare);
    // "Raport": the configuration as a document to print or hand over.
    auto* report = new QGroupBox(QStringLiteral("Raport konfiguracji"), this);
    report->setObjectName(QStringLiteral("GroupReport"));
    auto* r = new QHBoxLayout(report);
    r->setContentsMargins(10, 6, 10, 8);
    for (const auto& [name, caption, hint] :
         {std::tuple{"reportPdfButton", QStringLiteral("Raport PDF..."),
                     QStringLiteral("Zapisz raport konfiguracji jako PDF (A4)")},
          std::tuple{"reportHtmlButton", QStringLiteral("Raport HTML..."),
                     QStringLiteral("Zapisz raport konfiguracji jako stronę HTML (do e-maila)")},
          std::tuple{"reportPrintButton", QStringLiteral("Drukuj raport..."),
                     QStringLiteral("Drukuj raport konfiguracji (Ctrl+P)")}}) {
        auto* b = new QPushButton(caption, report);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(hint);
        b->setMinimumWidth(170);
        r->addWidget(b);
    }
    r->addStretch(1);
    v->addWidget(report);
    // A recording of the monitor (from a customer's site) plays without a module; beside it, a
    // change sent as configuration SMS through a GSM modem, and every configuration read from a
    // module or written to one, kept on this computer (one row, buttons as narrow as the
    // report's: the tab keeps the window's height and width).
    constexpr int kLastRowWidth = 170;
    auto* lastRow = new QHBoxLayout;
    lastRow->setSpacing(10);
    v->addLayout(lastRow);
    lastRow->addWidget(buttonGroup(this, "GroupMonitorReplay", QStringLiteral("Zapis monitora"),
                                   "monitorReplayButton",
                                   QStringLiteral("Odtwórz zapis monitora..."), kLastRowWidth));
    lastRow->addWidget(buttonGroup(this, "GroupSmsSend", QStringLiteral("Konfiguracja SMS-ami"),
                                   "smsSendButton", QStringLiteral("Wyślij SMS konfiguracyjne..."),
                                   kLastRowWidth));
    auto* archive =
        buttonGroup(this, "GroupArchive", QStringLiteral("Archiwum konfiguracji"), "archiveButton",
                    QStringLiteral("Archiwum modułów..."), kLastRowWidth);
    archive->findChild<QPushButton*>(QStringLiteral("archiveButton"))
        ->setToolTip(QStringLiteral("Konfiguracje odczytane z modułów i do nich zapisane "
                                    "(Ctrl+Shift+A)"));
    lastRow->addWidget(archive);
    v->addStretch(1);
}

} // namespace qv::gui
