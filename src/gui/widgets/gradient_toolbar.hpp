#pragma once
// Every tool bar of the program is painted with the same vertical gradient: pixel row k from
// the top (counted from 1) gets red = green = 250 - 2k and blue = 246 - 2k, each modulo 256.
#include <QColor>
#include <QToolBar>

namespace qv::gui {

QColor gradientRowColour(int k);

class GradientToolBar : public QToolBar {
    Q_OBJECT
  public:
    explicit GradientToolBar(const QString& objectName, QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace qv::gui
