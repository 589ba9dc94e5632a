#include "gui/device_windows/counters_window.hpp"

#include "gui/app/app_context.hpp"
#include "gui/link/link_window.hpp"
#include "gui/widgets/binding.hpp"
#include "gui/widgets/window_placement.hpp"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace qv::gui {

CountersWindow::CountersWindow(AppContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx) {
    setObjectName(QStringLiteral("TFormCounter"));
    centreOnScreenWhenShown(this);
    setWindowTitle(QStringLiteral("Liczniki wejsc"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setModal(true);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(16, 12, 16, 12);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(6);
    grid->addWidget(new QLabel(QStringLiteral("Stan licznika:"), this), 0, 1);
    for (int n = 0; n < kCounterCount; ++n) {
        auto* label = new QLabel(QStringLiteral("Wejscie %1").arg(n + 1), this);
        grid->addWidget(label, n + 1, 0);
        auto* edit = new QLineEdit(this);
        label->setBuddy(edit);
        edit->setObjectName(QStringLiteral("EditCounter%1").arg(n + 1));
        edit->setMinimumWidth(140);
        grid->addWidget(edit, n + 1, 1);
        edits_[std::size_t(n)] = edit;
    }
    auto* write = new QPushButton(QStringLiteral("Zapisz do urządzenia"), this);
    write->setObjectName(QStringLiteral("Button1"));
    auto* close = new QPushButton(QStringLiteral("Zamknij bez zapisu"), this);
    close->setObjectName(QStringLiteral("Button2"));
    // Enter in an edit must not write to the module by itself.
    for (QPushButton* b : {write, close})
        b->setAutoDefault(false);
    grid->setRowMinimumHeight(kCounterCount + 1, 6);
    grid->addWidget(write, kCounterCount + 2, 0, 1, 2);
    grid->addWidget(close, kCounterCount + 3, 0, 1, 2);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    connect(write, &QPushButton::clicked, this, &CountersWindow::writeToDevice);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

void CountersWindow::editCounters(const qv::CounterValues& values) {
    for (std::size_t n = 0; n < values.size(); ++n)
        edits_[n]->setText(QString::number(values[n]));
    edits_[0]->setFocus();
    exec();
}

void CountersWindow::writeToDevice() {
    if (!ctx_.link) return;
    std::array<std::string, kCounterCount> texts;
    for (std::size_t n = 0; n < texts.size(); ++n)
        texts[n] = ss(edits_[n]->text());
    const CounterTextsCheck parsed = parseCounterTexts(texts);
    if (!parsed.refusal.empty()) {
        ctx_.ui.error(this, qs(parsed.refusal));
        return;
    }
    const std::string password = ctx_.confirmPassword(this);
    ctx_.link->request().counterTexts = texts;
    ctx_.link->runSession(LinkMode::writeCounters, password, kConfigLength);
    accept(); // whatever the outcome: the link window's log tells it
}

} // namespace qv::gui
