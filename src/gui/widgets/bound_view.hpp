#pragma once
// A SettingsView whose widgets are bound to settings one by one: each bind* call connects the
// user's edit of a widget to the setting it holds (write, then commitEdit) and registers how
// refresh() shows the setting again. refresh() runs the registered steps in the order they
// were added, so a list's items are shown before its selection and the derived state last.
#include "gui/widgets/binding.hpp"
#include "gui/widgets/settings_view.hpp"

#include <functional>
#include <vector>

class QAbstractButton;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QSlider;

namespace qv::gui {

// Where a setting lives in the settings.
template <class T> using SettingRef = std::function<T&(Settings&)>;

template <class T> SettingRef<T> field(T Settings::*member) {
    return [member](Settings& s) -> T& { return s.*member; };
}

class BoundView : public SettingsView {
    Q_OBJECT
  public:
    using SettingsView::SettingsView;
    void refresh() override;

  protected:
    // A text edit with its length limit and hint.
    QLineEdit* bindText(QLineEdit* edit, SettingRef<std::string> ref, int maxLength);
    // A list's selected index (-1: none).
    QComboBox* bindIndex(QComboBox* list, SettingRef<int> ref);
    // A check box (or any checkable button).
    QAbstractButton* bindFlag(QAbstractButton* box, SettingRef<bool> ref);
    // Two radio buttons: choosing one unchecks its partner; both may be off after loading.
    void bindRadio(QRadioButton* a, SettingRef<bool> aRef, QRadioButton* b, SettingRef<bool> bRef);
    QSlider* bindValue(QSlider* slider, SettingRef<int> ref);
    // A step of refresh() that shows state derived from the settings.
    void onRefresh(std::function<void()> show);
    // Writes an edit into the settings and commits it.
    void edit(const std::function<void(Settings&)>& change);

  private:
    std::vector<std::function<void()>> shows_;
};

// Named widgets as the views create them.
QLineEdit* namedEdit(QWidget* parent, const char* name);
QComboBox* namedList(QWidget* parent, const char* name, const std::vector<std::string>& items,
                     int width = 0);
QLabel* namedLabel(QWidget* parent, const char* name, const QString& caption);
QCheckBox* namedCheck(QWidget* parent, const char* name, const QString& caption);
QRadioButton* namedRadio(QWidget* parent, const char* name, const QString& caption);

} // namespace qv::gui
