#pragma once
// The tab of GPRS server, APN, test period, backup Contact ID SMS and DTMF delays.
//
// Widgets are named after the settings they hold (fUSE_GPRS, fSERVER, fPORT, fAPN, fAPN_USER,
// fAPN_PASS, fPING_TIME, cbTestPeriod, fTEST_PERIOD, EditDtmfPhone, CbDtmfType, EditAckDelay,
// EditKissOffDelay); PanelTestPeriod ("BRAK") stands beside the period list while the test is
// off, and the label fGPRS_OBJECT mirrors the object number typed on the parameter tab.
#include "gui/widgets/bound_view.hpp"

namespace qv::gui {

class TabGPRS : public BoundView {
    Q_OBJECT
  public:
    explicit TabGPRS(AppContext& ctx, QWidget* parent = nullptr);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* buildGprsGroup();
    QWidget* buildTestGroup();
    QWidget* buildContactIdGroup();
    // The parameter tab's object number edit, painted while the mouse rests on the mirror.
    QLineEdit* objectEdit() const;
    void showObjectEdit();

    QLabel* objectMirror_ = nullptr;
};

} // namespace qv::gui
