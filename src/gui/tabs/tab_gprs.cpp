#include "gui/tabs/tab_gprs.hpp"

#include "config/dependent_controls.hpp"
#include "config/item_lists.hpp"
#include "gui/app/accessibility.hpp"
#include "gui/tabs/tab_layout.hpp"

#include <QApplication>
#include <QEvent>
#include <QTabWidget>
#include <QVBoxLayout>

namespace qv::gui {

namespace {
constexpr int kLongEditWidth = 260;
constexpr int kUserEditWidth = 140;
constexpr int kShortEditWidth = 60;
constexpr int kPhoneEditWidth = 110;
} // namespace

TabGPRS::TabGPRS(AppContext& ctx, QWidget* parent)
    : BoundView(ctx, QStringLiteral("TabGPRS"), parent) {
    // Built in reading order, left column first, so the keyboard walks them so.
    QWidget* gprs = buildGprsGroup();
    QWidget* test = buildTestGroup();
    QWidget* contactId = buildContactIdGroup();
    twoColumns(this, {gprs}, {test, contactId});
}

QWidget* TabGPRS::buildGprsGroup() {
    QFormLayout* form = nullptr;
    auto* g = formGroup(this, "GroupGprs", QStringLiteral(" GPRS "), &form);
    auto* use = namedCheck(g, "fUSE_GPRS", QStringLiteral("Pracuj w trybie GPRS"));
    form->addRow(bindFlag(use, field(&Settings::useGprs)));
    const struct {
        const char* name;
        const char* caption;
        std::string Settings::*member;
        int length;
        int width;
    } edits[] = {
        {"fSERVER", "Adres IP serwera:", &Settings::server, memmap::wSERVER, kLongEditWidth},
        {"fPORT", "Port serwera:", &Settings::port, memmap::wPORT, kShortEditWidth},
        {"fAPN", "APN:", &Settings::apn, memmap::wAPN, kLongEditWidth},
        {"fAPN_USER", "APN - użytkownik:", &Settings::apnUser, memmap::wAPN_USER, kUserEditWidth},
        {"fAPN_PASS", "APN - hasło:", &Settings::apnPass, memmap::wAPN_PASS, kUserEditWidth},
    };
    for (const auto& e : edits) {
        auto* edit = bindText(namedEdit(g, e.name), field(e.member), e.length);
        edit->setFixedWidth(e.width);
        addFormRow(form, QString::fromUtf8(e.caption), edit);
        if (e.member == &Settings::port)
            addFormRow(form, QStringLiteral("Test połączenia co [min.]:"),
                       bindIndex(namedList(g, "fPING_TIME", items::pingTime(), 60),
                                 field(&Settings::pingTime)));
    }
    objectMirror_ = namedLabel(g, "fGPRS_OBJECT", QString());
    objectMirror_->setToolTip(QStringLiteral("Numer obiektu definiuje się w zakładce PARAMETRY"));
    objectMirror_->setMinimumWidth(kShortEditWidth);
    objectMirror_->setFrameShape(QFrame::StyledPanel);
    objectMirror_->setFrameShadow(QFrame::Sunken);
    objectMirror_->installEventFilter(this);
    addFormRow(form, QStringLiteral("Numer obiektu:"), objectMirror_);
    onRefresh([this] { objectMirror_->setText(qs(settings().object)); });
    return g;
}

QWidget* TabGPRS::buildTestGroup() {
    QFormLayout* form = nullptr;
    auto* g = formGroup(this, "GroupTest", QStringLiteral(" Test okresowy "), &form);
    auto* doTest = namedCheck(g, "cbTestPeriod", QStringLiteral("Okres testu/statusu co:"));
    bindFlag(doTest, field(&Settings::doTest));
    auto* period = namedList(g, "fTEST_PERIOD", {}, 70);
    onRefresh([this, period] {
        static const std::vector<std::string> periods = items::testPeriod();
        showItems(period, settings().testPeriodListBuilt ? periods : std::vector<std::string>{});
    });
    bindIndex(period, field(&Settings::testPeriod));
    auto* none = namedLabel(g, "PanelTestPeriod", QStringLiteral("BRAK"));
    none->setFrameShape(QFrame::Panel);
    none->setFrameShadow(QFrame::Sunken);
    none->setAlignment(Qt::AlignCenter);
    none->setMinimumWidth(50);
    QFont bold = none->font();
    bold.setBold(true);
    none->setFont(bold);
    form->addRow(inRow(g, {doTest, period, new QLabel(QStringLiteral("[godz.]")), none}));
    nameBySetting(period, "TEST_PERIOD");
    onRefresh([this, period, none] {
        period->setEnabled(testPeriodEnabled(settings()));
        none->setVisible(!testPeriodEnabled(settings()));
    });
    return g;
}

QWidget* TabGPRS::buildContactIdGroup() {
    QFormLayout* form = nullptr;
    auto* g =
        formGroup(this, "GroupContactId", QStringLiteral(" Zapasowe SMSy Contact ID "), &form);
    auto* phone =
        bindText(namedEdit(g, "EditDtmfPhone"), field(&Settings::dtmfPhone), memmap::wPHONE);
    phone->setFixedWidth(kPhoneEditWidth);
    addFormRow(form, QStringLiteral("Numer telefonu bazy:"), phone);
    addFormRow(
        form, QStringLiteral("Format:"),
        bindIndex(namedList(g, "CbDtmfType", items::dtmfType(), 110), field(&Settings::dtmfType)));
    // The delays are shown only: the module always receives its fixed values.
    const std::pair<const char*, const char*> delays[] = {
        {"EditAckDelay", "DTMF ACK DELAY:"}, {"EditKissOffDelay", "DTMF KISS OFF DELAY:"}};
    for (const auto& [name, caption] : delays) {
        auto* e = namedEdit(g, name);
        e->setReadOnly(true);
        e->setFixedWidth(kShortEditWidth);
        addFormRow(form, QString::fromLatin1(caption), e);
        const bool ack = std::string_view(name) == "EditAckDelay";
        onRefresh([this, e, ack] {
            showText(e, ack ? settings().ackDelayText : settings().kissOffDelayText);
        });
    }
    return g;
}

QLineEdit* TabGPRS::objectEdit() const {
    return window()->findChild<QLineEdit*>(QStringLiteral("fOBJECT"));
}

void TabGPRS::showObjectEdit() {
    QLineEdit* edit = objectEdit();
    if (!edit) return;
    for (QWidget* w = edit->parentWidget(); w; w = w->parentWidget()) {
        if (auto* pages = qobject_cast<QTabWidget*>(w)) {
            for (QWidget* page = edit; page; page = page->parentWidget())
                if (pages->indexOf(page) >= 0) pages->setCurrentWidget(page);
            break;
        }
    }
    edit->setFocus(Qt::OtherFocusReason);
}

bool TabGPRS::eventFilter(QObject* watched, QEvent* event) {
    if (watched != objectMirror_) return BoundView::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Enter:
    case QEvent::Leave:
        if (QLineEdit* edit = objectEdit()) {
            QPalette pal = edit->palette();
            pal.setColor(QPalette::Base, event->type() == QEvent::Enter
                                             ? QColor(Qt::red)
                                             : QApplication::palette(edit).color(QPalette::Base));
            edit->setPalette(pal);
        }
        break;
    case QEvent::MouseButtonDblClick:
        showObjectEdit();
        return true;
    default:
        break;
    }
    return BoundView::eventFilter(watched, event);
}

} // namespace qv::gui
