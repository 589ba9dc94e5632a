#pragma once
// The fixed reference of the control SMS commands ("Opisy SMSów sterujących"): a read-only
// memo Memo1 in a fixed-pitch font fills the dialog.
#include "gui/main_window/text_memo.hpp"

#include <QStringList>

namespace qv::gui {

class AppContext;

// The reference text, one entry a line.
QStringList controlSmsDescription();

class SmsDescriptionForm : public TextWindow {
    Q_OBJECT
  public:
    explicit SmsDescriptionForm(AppContext& ctx, QWidget* parent = nullptr);
    QStringList lines() const;
};

} // namespace qv::gui
