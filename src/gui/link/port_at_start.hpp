#pragma once
// The port the window starts on when the one in the settings is not there: the only adapter
// attached is taken for this run (the log and the status bar say so; the setting changes only
// when the user saves it in the port settings), several are offered to choose from, and with
// none the user learns which ports there are and may try the simulated module instead.
// The system's ports are read on a thread of the pool, never on the window's thread.
#include "link/port_choice.hpp"

#include <QFutureWatcher>
#include <QObject>
#include <QString>

class QWidget;

namespace qv::gui {

class AppContext;

class PortAtStart : public QObject {
    Q_OBJECT
  public:
    PortAtStart(AppContext& ctx, QWidget* parent);
    ~PortAtStart() override;

    // Looks at the ports and acts on what it finds; finished() follows.
    void start();

  Q_SIGNALS:
    // A short line for the status bar (empty: nothing to say).
    void notice(const QString& text);
    void finished();

  private:
    struct Look {
        std::string configured;
        PortChoice choice;
    };
    void act(const Look& look);
    void use(const std::string& port, const std::string& why);

    AppContext& ctx_;
    QWidget* parent_;
    QFutureWatcher<Look> look_;
};

} // namespace qv::gui
