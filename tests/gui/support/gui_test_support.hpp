#pragma once
// What the window tests share: desktop services that answer from a script and record what was
// shown, a way to act on the modal window that a command opens, and a program set up in a
// scratch folder.
#include "gui/app/app_context.hpp"
#include "gui/app/ui_services.hpp"
#include "gui/main_window/main_window.hpp"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace qv::gui::test {

// How long a window test waits for a condition: generous, because a machine busy with other
// work may take seconds to deliver a window's events; a condition that holds ends the wait.
inline constexpr int kPatienceMs = 30000;

class ScriptedUi : public UiServices {
  public:
    struct Shown {
        enum class Kind { Question, Information, Warning, Error } kind;
        QString text;
    };

    // Answers to the next questions (true: OK); with none left, OK.
    std::deque<bool> answers;
    // Items the next choices return (-1: cancelled); with none left, the first item.
    std::deque<int> choices;
    // Paths the next file dialogs return; with none left, the dialog is cancelled ("").
    std::deque<QString> fileNames;
    std::vector<Shown> shown;
    std::vector<Sound> sounds;
    std::vector<QUrl> urls;

    bool question(QWidget*, const QString& text) override;
    void information(QWidget*, const QString& text) override;
    void warning(QWidget*, const QString& text) override;
    void error(QWidget*, const QString& text) override;
    // Recorded as a question: its text, then the items one a line.
    int choose(QWidget*, const QString& text, const QStringList& items) override;
    QString openFileName(QWidget*, const QString&, const QString&, const QString&) override;
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&,
                         const QString&) override;
    void play(Sound sound) override { sounds.push_back(sound); }
    bool openUrl(const QUrl& url) override {
        urls.push_back(url);
        return true;
    }

    QStringList texts() const;
    QString lastText() const { return shown.empty() ? QString() : shown.back().text; }
};

// Runs action on the modal dialog named objectName as soon as it is shown (polling the event
// loop every 10 ms, for at most timeoutMs). Call it before the command that opens the dialog.
// The watcher belongs to the application; delete the returned pointer (when still set) to stop
// it early, so it cannot act on a later test's dialog.
QPointer<QTimer> whenModal(const QString& objectName, std::function<void(QDialog*)> action,
                           int timeoutMs = 20000);

// Waits, inside a modal link window, for the session to end and closes it with its finish
// button; the log text is handed to logOut first.
void finishLinkSessionWhenDone(QString* logOut = nullptr, int timeoutMs = 2 * kPatienceMs);

// Gives w the keyboard focus as a click into its window would: the window is activated (the
// offscreen platform has no window manager to do it) and w focused. True once w has the focus;
// the wait is for the focus, not for the activation.
[[nodiscard]] bool giveFocus(QWidget* w, int timeoutMs = kPatienceMs);

// Sends the layout requests the windows have queued for themselves, so their geometry is what
// the user would see; no time passes.
void settleLayouts();

// Blocks this thread without running its event loop, as a window busy with other work would,
// until done() holds (checked every 10 ms) or timeoutMs passes; returns done().
bool blockUntil(const std::function<bool()>& done, int timeoutMs = kPatienceMs);

// A program in a scratch folder: the executable folder holds QVPROG2.INI, naming the given
// port ("sim" reaches the simulated module on its virtual clock), and in service mode the
// marker file; the configuration archive is archive.sqlite there (QVPROG_ARCHIVE).
struct Program {
    explicit Program(const QString& port = QStringLiteral("sim"), bool serviceMode = false);
    QTemporaryDir dir;
    ScriptedUi ui;
    std::unique_ptr<AppContext> ctx;
    std::unique_ptr<MainWindow> window;

    QString path(const QString& name) const { return dir.filePath(name); }
    template <class T> T* find(const QString& name) const { return window->findChild<T*>(name); }
};

// Sets the appearance the program uses; call once from main before the tests.
void prepareApplication(QApplication& app);

} // namespace qv::gui::test

// A QTest main that applies the program's appearance first.
#define QVPROG_GUI_TEST_MAIN(TestClass)                                                            \
    int main(int argc, char** argv) {                                                              \
        QApplication app(argc, argv);                                                              \
        qv::gui::test::prepareApplication(app);                                                    \
        TestClass tc;                                                                              \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
