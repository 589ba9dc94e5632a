#include "gui/tab_addons.hpp"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace qv::gui {

namespace {
QGroupBox* buttonGroup(QWidget* parent, const char* groupName, const QString& caption,
                       const char* buttonName, const QString& buttonCaption) {
    auto* g = new QGroupBox(caption, parent);
    g->setObjectName(QString::fromLatin1(groupName));
    auto* h = new QHBoxLayout(g);
    h->setContentsMargins(10, 6, 10, 8);
    auto* b = new QPushButton(buttonCaption, g);
    b->setObjectName(QString::fromLatin1(buttonName));
    b->setMinimumWidth(260);
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
    v->addWidget(buttonGroup(this, "GroupCounters",
                             QStringLiteral(" Firmware z licznikami na wejsciach (subwersja 3) "),
                             "Button5", QStringLiteral("Odczytaj/Zapisz liczniki wejsc Solvo-5")));
    v->addWidget(buttonGroup(this, "GroupPhoneBase",
                             QStringLiteral("Firmware z 4000 numerów telefonów (subwersja 4)"),
                             "Button8", QStringLiteral("Zarzadzaj numerami")));
    v->addStretch(1);
}

} // namespace qv::gui
