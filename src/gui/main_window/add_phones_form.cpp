#include "gui/main_window/add_phones_form.hpp"

#include "gui/app/accessibility.hpp"
#include "gui/app/app_context.hpp"
#include "gui/widgets/binding.hpp"
#include "gui/widgets/window_placement.hpp"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace qv::gui {

namespace {
constexpr int kEditWidth = 75;
} // namespace

AddPhonesForm::AddPhonesForm(AppContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx) {
    setObjectName(QStringLiteral("TFormAddPhones"));
    centreOnScreenWhenShown(this);
    setWindowTitle(QStringLiteral("DODATKOWE NUMERY UPRAWNIONE (DO STEROWANIA WYJŚCIAMI)"));
    // A tool window without system buttons.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    for (int n = 1; n <= kPhones; ++n) {
        const int column = (n - 1) / kPerColumn;
        const int line = (n - 1) % kPerColumn;
        auto* label = new QLabel(QString::number(n), this);
        label->setObjectName(QStringLiteral("AddPhoneLabel%1").arg(n));
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("AddPhone%1").arg(n));
        edit->setMaxLength(memmap::wADD_PHONE);
        // The hint names 9 digits; the edit takes the field's full 10.
        edit->setToolTip(QStringLiteral("Numer telefonu: %1, Długość pola: 9").arg(n));
        edit->setFixedWidth(kEditWidth);
        nameBySetting(edit, "ADD_PHONE", n);
        grid->addWidget(label, line, 2 * column);
        grid->addWidget(edit, line, 2 * column + 1);
        if (column > 0) grid->setColumnMinimumWidth(2 * column, 28);
        edits_[std::size_t(n - 1)] = edit;
    }

    auto* clear = new QPushButton(QStringLiteral("Wyczysc wszystkie"), this);
    clear->setObjectName(QStringLiteral("Button1"));
    clear->setAutoDefault(false);
    connect(clear, &QPushButton::clicked, this, &AddPhonesForm::clearAll);
    auto* close = new QPushButton(QStringLiteral("Zapamiętaj i zamknij"), this);
    close->setObjectName(QStringLiteral("Button2"));
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(clear);
    buttons->addStretch(1);
    buttons->addWidget(close);

    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(10, 10, 10, 10);
    v->addLayout(grid);
    v->addSpacing(6);
    v->addLayout(buttons);
    setFixedSize(sizeHint());
}

void AddPhonesForm::editPhones() {
    Settings& s = ctx_.settings();
    for (std::size_t k = 0; k < edits_.size(); ++k)
        showText(edits_[k], s.addPhones[k]);
    exec();
    for (std::size_t k = 0; k < edits_.size(); ++k)
        s.addPhones[k] = ss(edits_[k]->text());
}

void AddPhonesForm::clearAll() {
    for (QLineEdit* e : edits_)
        e->clear();
}

void AddPhonesForm::closeEvent(QCloseEvent* event) {
    // Only "Zapamiętaj i zamknij" closes the window (accept() hides it without this event).
    event->ignore();
}

} // namespace qv::gui
