#include "gui/app/screenshot_tour.hpp"

#include "gui/app/app_context.hpp"
#include "gui/archive/archive_window.hpp"
#include "gui/device_windows/compare_window.hpp"
#include "gui/link/link_window.hpp"
#include "gui/main_window/main_window.hpp"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

#include <memory>

namespace qv::gui {

namespace {
constexpr int kSettleMs = 300;
constexpr int kPollMs = 50;
constexpr int kModalTimeoutMs = 60000;
} // namespace

ScreenshotTour::ScreenshotTour(AppContext& ctx, MainWindow& window, QString folder)
    : QObject(&window), ctx_(ctx), window_(window), folder_(std::move(folder)) {
    QDir().mkpath(folder_);
    auto* pages = window_.pageControl();
    for (int i = 0; i < 7; ++i) {
        add([this, pages, i](auto next) {
            pages->setCurrentIndex(i);
            QTimer::singleShot(kSettleMs, this, [this, pages, i, next] {
                save(&window_, QStringLiteral("main-%1-%2.png")
                                   .arg(i)
                                   .arg(pages->widget(i)->objectName().toLower()));
                next();
            });
        });
    }
    // A read from the module: the link window after the session.
    add([this](auto next) {
        window_.pageControl()->setCurrentIndex(0);
        modalShot(
            QStringLiteral("TSerialCommForm"), QStringLiteral("link-window.png"), nullptr,
            [](QWidget* w) {
                auto* finish = w->findChild<QToolButton*>(QStringLiteral("ButtonFinish"));
                return finish && finish->isEnabled();
            },
            [this] { window_.readButtonClick(); }, next);
    });
    // The window after the read, "Cofnij" ready beside "Log" to take it back.
    add([this](auto next) {
        save(&window_, QStringLiteral("main-undo.png"));
        next();
    });
    // The live monitor on the module that the read just restarted: a few seconds of its stream.
    add([this](auto next) {
        auto since = std::make_shared<QElapsedTimer>();
        modalShot(
            QStringLiteral("TShowForm"), QStringLiteral("monitor.png"),
            [since](QWidget*) { since->start(); },
            [since](QWidget*) { return since->isValid() && since->elapsed() > 6000; },
            [this] { window_.monitorButtonClick(); }, next);
    });
    // The phone base window on the configuration just read.
    add([this](auto next) {
        modalShot(
            QStringLiteral("TFormAdd4kPhones"), QStringLiteral("phone-base-window.png"), nullptr,
            nullptr, [this] { window_.phoneBaseButtonClick(); }, next);
    });
    // "Porównaj" with the module just read, then after a few edits in the window.
    add([this](auto next) { compareShot(QStringLiteral("compare-identical.png"), next); });
    add([this](auto next) {
        Settings& s = ctx_.settings();
        s.object = "4321";
        s.input(1).alarmPhone = "600100200";
        s.input(3).alarmText = "Drzwi wejściowe";
        s.useGprs = true;
        window_.refreshAll();
        compareShot(QStringLiteral("compare-window.png"), next);
    });
    // The module archive with the configurations the tour read.
    add([this](auto next) {
        window_.archiveButtonClick();
        QTimer::singleShot(kSettleMs, this, [this, next] {
            if (QWidget* w = window_.archiveWindow()) {
                save(w, QStringLiteral("archive-window.png"));
                w->hide();
            }
            next();
        });
    });
    // "Programuj" after the edits: what the write would change in the module (cancelled).
    add([this](auto next) {
        modalShot(
            QStringLiteral("TWriteReviewForm"), QStringLiteral("write-review.png"), nullptr,
            nullptr, [this] { window_.writeButtonClick(); }, next);
    });
}

void ScreenshotTour::compareShot(const QString& file, std::function<void()> next) {
    modalShot(
        QStringLiteral("TSerialCommForm"), QStringLiteral("link-window-compare.png"), nullptr,
        [](QWidget* w) {
            auto* finish = w->findChild<QToolButton*>(QStringLiteral("ButtonFinish"));
            return finish && finish->isEnabled();
        },
        [this] { window_.compareWithModuleClick(); },
        [this, file, next] {
            QTimer::singleShot(kSettleMs, this, [this, file, next] {
                if (CompareWindow* w = window_.compareWindow()) {
                    save(w, file);
                    w->close();
                }
                next();
            });
        });
}

void ScreenshotTour::start() {
    QTimer::singleShot(kSettleMs, this, [this] { runFrom(0); });
}

void ScreenshotTour::runFrom(std::size_t i) {
    if (i >= steps_.size()) {
        // exit, not quit: quit closes the windows first, and the main window would ask about
        // the configuration the tour changed.
        QCoreApplication::exit(0);
        return;
    }
    steps_[i]([this, i] { QTimer::singleShot(0, this, [this, i] { runFrom(i + 1); }); });
}

void ScreenshotTour::save(QWidget* w, const QString& name) {
    w->grab().save(QDir(folder_).filePath(name));
}

void ScreenshotTour::modalShot(const QString& objectName, const QString& file,
                               std::function<void(QWidget*)> prepare,
                               std::function<bool(QWidget*)> ready, std::function<void()> open,
                               std::function<void()> next) {
    auto* poll = new QTimer(this);
    auto clock = std::make_shared<QElapsedTimer>();
    auto prepared = std::make_shared<bool>(false);
    clock->start();
    poll->setInterval(kPollMs);
    connect(poll, &QTimer::timeout, this, [=, this] {
        auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        const bool found = modal && modal->objectName() == objectName;
        if (found && !*prepared) {
            *prepared = true;
            if (prepare) prepare(modal);
        }
        const bool timedOut = clock->elapsed() > kModalTimeoutMs;
        if (!(found && (!ready || ready(modal))) && !timedOut) return;
        poll->stop();
        poll->deleteLater();
        if (found) {
            QTimer::singleShot(kSettleMs, modal, [this, modal, file] {
                save(modal, file);
                if (auto* finish = modal->findChild<QToolButton*>(QStringLiteral("ButtonFinish"));
                    finish && finish->isEnabled())
                    finish->click();
                else
                    modal->done(0);
            });
        }
    });
    poll->start();
    // The command runs its own modal loop; the next step starts once it has returned.
    QTimer::singleShot(0, this, [open, next] {
        open();
        next();
    });
}

} // namespace qv::gui
