#pragma once
// A view of part of the configuration: a tab of the main window or one of its small windows.
// The core's Settings is the one source of truth. A view writes every edit straight into the
// settings and then emits edited(); refresh() shows the settings again (values, and the
// enabled/visible state derived from them) without emitting anything.
#include "config/settings.hpp"

#include <QWidget>

namespace qv::gui {

class AppContext;

class SettingsView : public QWidget {
    Q_OBJECT
  public:
    SettingsView(AppContext& ctx, const QString& objectName, QWidget* parent = nullptr);

    // Shows the settings in every widget of the view.
    virtual void refresh() = 0;

  Q_SIGNALS:
    // The user changed a setting through this view.
    void edited();

  protected:
    Settings& settings();
    // Called by the view after it wrote an edit into the settings: refreshes the view and tells
    // the others.
    void commitEdit();

    AppContext& ctx_;
};

} // namespace qv::gui
