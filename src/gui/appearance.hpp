#pragma once
// One look on every machine: the Fusion style and a compact sans-serif font with the metrics
// the window's fixed layout was drawn for.
class QApplication;

namespace qv::gui {

void applyAppearance(QApplication& app);

} // namespace qv::gui
