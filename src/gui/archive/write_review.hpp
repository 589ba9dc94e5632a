#pragma once
// Before "Programuj" writes: what the write will change in the module last seen on the port,
// the window's configuration against that module's latest archived one, as the compare window
// lists it. "Programuj" goes on, "Anuluj" sends nothing.
#include "archive/archive_types.hpp"
#include "tools/config_compare.hpp"

#include <QDialog>

class QLabel;
class QPushButton;
class QTableView;

namespace qv::gui {

class CompareModel;

class WriteReviewDialog : public QDialog {
    Q_OBJECT
  public:
    explicit WriteReviewDialog(QWidget* parent = nullptr);

    // Shows the differences (mine: the window's configuration; module: the entry's) and waits;
    // true when the user chose "Programuj".
    bool review(const Comparison& comparison, const ConfigImage& mine, const ConfigImage& module,
                const ArchiveEntrySummary& entry, const QString& portName);

    CompareModel* model() const { return model_; }

  private:
    CompareModel* model_;
    QLabel* heading_;
    QLabel* summary_;
    QTableView* table_;
    QPushButton* write_;
    QPushButton* cancel_;
};

} // namespace qv::gui
