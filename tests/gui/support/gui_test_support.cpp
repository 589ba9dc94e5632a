#include "support/gui_test_support.hpp"

#include "gui/app/accessibility.hpp"
#include "gui/app/appearance.hpp"

#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QTest>
#include <QThread>
#include <QToolButton>

#include <memory>

namespace qv::gui::test {

bool ScriptedUi::question(QWidget*, const QString& text) {
    shown.push_back({Shown::Kind::Question, text});
    if (answers.empty()) return true;
    const bool a = answers.front();
    answers.pop_front();
    return a;
}

int ScriptedUi::choose(QWidget*, const QString& text, const QStringList& items) {
    shown.push_back({Shown::Kind::Question, (QStringList{text} + items).join(QLatin1Char('\n'))});
    if (choices.empty()) return items.isEmpty() ? -1 : 0;
    const int c = choices.front();
    choices.pop_front();
    return c;
}

void ScriptedUi::information(QWidget*, const QString& text) {
    shown.push_back({Shown::Kind::Information, text});
}

void ScriptedUi::warning(QWidget*, const QString& text) {
    shown.push_back({Shown::Kind::Warning, text});
}

void ScriptedUi::error(QWidget*, const QString& text) {
    shown.push_back({Shown::Kind::Error, text});
}

QString ScriptedUi::openFileName(QWidget*, const QString&, const QString&, const QString&) {
    if (fileNames.empty()) return {};
    const QString f = fileNames.front();
    fileNames.pop_front();
    return f;
}

QString ScriptedUi::saveFileName(QWidget*, const QString&, const QString&, const QString&,
                                 const QString& defaultSuffix) {
    QString f = openFileName(nullptr, {}, {}, {});
    // The real dialog appends the default extension to a name typed without one.
    if (!f.isEmpty() && !f.section('/', -1).contains('.')) f += '.' + defaultSuffix;
    return f;
}

QStringList ScriptedUi::texts() const {
    QStringList out;
    for (const auto& s : shown)
        out << s.text;
    return out;
}

QPointer<QTimer> whenModal(const QString& objectName, std::function<void(QDialog*)> action,
                           int timeoutMs) {
    auto* timer = new QTimer(QCoreApplication::instance());
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [=] {
        auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        const bool found = modal && modal->objectName() == objectName && modal->isVisible();
        if (!found && clock->elapsed() < timeoutMs) return;
        timer->stop();
        timer->deleteLater();
        if (found) action(modal);
    });
    timer->start();
    return timer;
}

void finishLinkSessionWhenDone(QString* logOut, int timeoutMs) {
    whenModal(
        QStringLiteral("TSerialCommForm"),
        [=](QDialog* link) {
            auto* poll = new QTimer(link);
            auto clock = std::make_shared<QElapsedTimer>();
            clock->start();
            poll->setInterval(10);
            QObject::connect(poll, &QTimer::timeout, [=] {
                auto* finish = link->findChild<QToolButton*>(QStringLiteral("ButtonFinish"));
                const bool done = finish && finish->isEnabled();
                if (!done && clock->elapsed() < timeoutMs) return;
                poll->stop();
                poll->deleteLater();
                if (logOut)
                    *logOut =
                        link->findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))->toPlainText();
                if (done)
                    finish->click();
                else
                    link->done(-99); // the session never ended: the test fails on the result
            });
            poll->start();
        },
        timeoutMs);
}

bool giveFocus(QWidget* w, int timeoutMs) {
    w->window()->activateWindow();
    w->setFocus(Qt::OtherFocusReason);
    return QTest::qWaitFor([w] { return w->hasFocus(); }, timeoutMs);
}

void settleLayouts() {
    // A layout that is laid out may ask its parent's layout to follow: a few rounds reach the
    // window.
    for (int i = 0; i < 4; ++i)
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
}

bool blockUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() >= timeoutMs) return done();
        QThread::msleep(10);
    }
    return true;
}

Program::Program(const QString& port, bool serviceMode) {
    // Every configuration the test reads or writes is kept in the scratch folder's archive,
    // never in the user's.
    qputenv("QVPROG_ARCHIVE", QFile::encodeName(dir.filePath(QStringLiteral("archive.sqlite"))));
    QFile ini(dir.filePath(QStringLiteral("QVPROG2.INI")));
    if (ini.open(QIODevice::WriteOnly))
        ini.write("[SETTINGS]\r\nport=" + port.toUtf8() + "\r\nreverse_reset=0\r\n");
    ini.close();
    if (serviceMode) {
        QFile marker(dir.filePath(QStringLiteral("qvxlock.txt")));
        marker.open(QIODevice::WriteOnly);
    }
    ctx = std::make_unique<AppContext>(dir.path().toStdString() + "/", ui);
    window = std::make_unique<MainWindow>(*ctx);
    window->startUp();
    window->show();
}

void prepareApplication(QApplication& app) {
    applyAppearance(app);
    installAccessibility();
}

} // namespace qv::gui::test
