#include "gui/link/port_at_start.hpp"

#include "gui/app/app_context.hpp"
#include "link/port_catalog.hpp"

#include <QStringList>
#include <QWidget>
#include <QtConcurrent/QtConcurrentRun>

namespace qv::gui {

namespace {
QString joinedLines(const std::vector<std::string>& lines) {
    QStringList out;
    for (const auto& l : lines)
        out << QString::fromStdString(l);
    return out.join(QLatin1Char('\n'));
}
} // namespace

PortAtStart::PortAtStart(AppContext& ctx, QWidget* parent)
    : QObject(parent), ctx_(ctx), parent_(parent) {
    connect(&look_, &QFutureWatcher<Look>::finished, this, [this] { act(look_.result()); });
}

PortAtStart::~PortAtStart() {
    look_.waitForFinished();
}

void PortAtStart::start() {
    PortCatalog* catalog = &ctx_.portCatalog();
    const std::string configured = ctx_.doc.programSettings().portName;
    look_.setFuture(QtConcurrent::run([catalog, configured] {
        const bool present = catalog->present(configured);
        // The inventory is read only when the configured port is missing.
        return Look{configured, present ? choosePort(configured, true, {})
                                        : choosePort(configured, false, catalog->inventory())};
    }));
}

void PortAtStart::use(const std::string& port, const std::string& why) {
    ctx_.doc.setPortName(port);
    ctx_.doc.log().add(why);
}

void PortAtStart::act(const Look& look) {
    // The user changed the port while the system was being looked at: theirs stands.
    if (ctx_.doc.programSettings().portName != look.configured) {
        Q_EMIT finished();
        return;
    }
    const PortChoice& c = look.choice;
    switch (c.outcome) {
    case PortChoice::Outcome::configured:
        break;
    case PortChoice::Outcome::onlyAdapter:
        use(c.port, c.lines.front());
        Q_EMIT notice(
            QStringLiteral("Port %1 - jedyny podłączony adapter (ustawienia: %2)")
                .arg(QString::fromStdString(c.port), QString::fromStdString(look.configured)));
        break;
    case PortChoice::Outcome::severalAdapters: {
        QStringList items;
        for (const auto& a : c.adapters)
            items << QString::fromStdString(a.name + ": " + portEntryDescription(a));
        const int chosen = ctx_.ui.choose(parent_, QString::fromStdString(c.lines.front()), items);
        if (chosen >= 0 && chosen < int(c.adapters.size())) {
            const std::string& port = c.adapters[std::size_t(chosen)].name;
            use(port,
                "Port " + look.configured + " nie jest podłączony; wybrano adapter " + port + ".");
            Q_EMIT notice(
                QStringLiteral("Port %1 - wybrany adapter (ustawienia: %2)")
                    .arg(QString::fromStdString(port), QString::fromStdString(look.configured)));
        } else {
            ctx_.doc.log().add(c.lines.front() + " Nie wybrano żadnego.");
        }
        break;
    }
    case PortChoice::Outcome::noAdapter: {
        for (const auto& l : c.lines)
            ctx_.doc.log().add(l);
        const QString question =
            joinedLines(c.lines) + QStringLiteral("\n\nUżyć teraz modułu symulowanego (port sim)? "
                                                  "Ustawienia portu pozostaną bez zmian.");
        if (c.offerSimulated && ctx_.ui.question(parent_, question)) {
            use("sim", "Moduł symulowany (port sim) do końca tej sesji programu.");
            Q_EMIT notice(QStringLiteral("Port sim - moduł symulowany (brak adaptera)"));
        } else {
            Q_EMIT notice(QStringLiteral("Port %1 nie jest podłączony")
                              .arg(QString::fromStdString(look.configured)));
        }
        break;
    }
    }
    Q_EMIT finished();
}

} // namespace qv::gui
