#pragma once
// Everything a window asks of the desktop: message boxes (always with an empty title), file
// dialogs, sounds and the web browser. Windows call these instead of Qt directly, so tests can
// put a scripted implementation in their place and the commands keep one code path.
#include "config/config_document.hpp"

#include <QString>
#include <QUrl>

class QWidget;

namespace qv::gui {

enum class Sound { Ding, Ring };

class UiServices {
  public:
    virtual ~UiServices() = default;

    // A question with OK and Cancel; true for OK.
    virtual bool question(QWidget* parent, const QString& text);
    virtual void information(QWidget* parent, const QString& text);
    virtual void warning(QWidget* parent, const QString& text);
    virtual void error(QWidget* parent, const QString& text);
    // One of several items (a list under the text, chosen by the arrows and Enter or a double
    // click); the chosen item's index, or -1 when the user cancels.
    virtual int choose(QWidget* parent, const QString& text, const QStringList& items);
    // Shows a core message with its icon (a question is shown as information).
    void show(QWidget* parent, const UserMessage& message);
    void showAll(QWidget* parent, const std::vector<UserMessage>& messages);

    // The chosen file's full path, or an empty text when the dialog was cancelled. Filters are
    // written "Description|pattern|Description|pattern"; the first is selected.
    virtual QString openFileName(QWidget* parent, const QString& title, const QString& dir,
                                 const QString& filter);
    // A name typed without extension gets defaultSuffix.
    virtual QString saveFileName(QWidget* parent, const QString& title, const QString& dir,
                                 const QString& filter, const QString& defaultSuffix);

    // Plays a sound asynchronously; a machine without audio output stays silent.
    virtual void play(Sound sound);
    virtual bool openUrl(const QUrl& url);
};

// "A|*.A|B|*.B" as a Qt name filter list ("A (*.A *.a)", ...): patterns match either case, as
// they do on Windows.
QStringList qtNameFilters(const QString& filter);

} // namespace qv::gui
