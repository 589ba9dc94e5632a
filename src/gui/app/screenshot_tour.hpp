#pragma once
// A guided tour for the screenshot script: shows each tab and window in turn, saves a picture
// of each into a folder, then ends the program. Started by "qvprog --screenshots DIR".
#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class QWidget;

namespace qv::gui {

class MainWindow;
class AppContext;

class ScreenshotTour : public QObject {
    Q_OBJECT
  public:
    ScreenshotTour(AppContext& ctx, MainWindow& window, QString folder);
    // Runs the steps one after another from the event loop and quits the program at the end.
    void start();

  private:
    using Step = std::function<void(std::function<void()> next)>;
    void add(Step step) { steps_.push_back(std::move(step)); }
    void runFrom(std::size_t i);
    void save(QWidget* w, const QString& name);
    // Waits for the modal window objectName, lets prepare act on it, waits until ready()
    // holds, saves it and closes it.
    void modalShot(const QString& objectName, const QString& file,
                   std::function<void(QWidget*)> prepare, std::function<bool(QWidget*)> ready,
                   std::function<void()> open, std::function<void()> next);
    // Compares the window with the module and saves the comparison window.
    void compareShot(const QString& file, std::function<void()> next);

    AppContext& ctx_;
    MainWindow& window_;
    QString folder_;
    std::vector<Step> steps_;
};

} // namespace qv::gui
