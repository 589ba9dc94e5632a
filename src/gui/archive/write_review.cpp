#include "gui/archive/write_review.hpp"

#include "archive/archive_text.hpp"
#include "gui/device_windows/compare_window.hpp"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>

namespace qv::gui {

WriteReviewDialog::WriteReviewDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TWriteReviewForm"));
    setWindowTitle(QStringLiteral("Programowanie: co się zmieni w module"));
    setModal(true);

    heading_ = new QLabel(this);
    heading_->setObjectName(QStringLiteral("reviewHeading"));
    heading_->setTextFormat(Qt::PlainText);
    heading_->setWordWrap(true);
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("reviewSummary"));
    summary_->setWordWrap(true);
    QFont bold = summary_->font();
    bold.setBold(true);
    summary_->setFont(bold);

    model_ = new CompareModel(this);
    model_->setMineHeading(QStringLiteral("Zostanie zapisane"));
    auto* sorted = new CompareSortModel(this);
    sorted->setSourceModel(model_);
    table_ = new QTableView(this);
    table_->setObjectName(QStringLiteral("reviewTable"));
    table_->setAccessibleName(QStringLiteral("Zmiany w module"));
    table_->setModel(sorted);
    table_->setSortingEnabled(true);
    table_->sortByColumn(-1, Qt::AscendingOrder);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setAlternatingRowColors(true);
    table_->setWordWrap(false);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setColumnWidth(CompareModel::Label, 320);
    table_->setColumnWidth(CompareModel::Key, 140);
    table_->setColumnWidth(CompareModel::Mine, 170);

    write_ = new QPushButton(QStringLiteral("&Programuj"), this);
    write_->setObjectName(QStringLiteral("reviewWriteButton"));
    write_->setAccessibleName(QStringLiteral("Programuj"));
    cancel_ = new QPushButton(QStringLiteral("&Anuluj"), this);
    cancel_->setObjectName(QStringLiteral("reviewCancelButton"));
    cancel_->setAccessibleName(QStringLiteral("Anuluj"));
    // Enter does not write: the user chooses "Programuj" on purpose.
    write_->setAutoDefault(false);
    cancel_->setDefault(true);
    connect(write_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(summary_, 1);
    buttons->addWidget(write_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading_);
    layout->addWidget(table_, 1);
    layout->addLayout(buttons);
    resize(900, 480);
}

bool WriteReviewDialog::review(const Comparison& comparison, const ConfigImage& mine,
                               const ConfigImage& module, const ArchiveEntrySummary& entry,
                               const QString& portName) {
    model_->setOtherHeading(QStringLiteral("Teraz w module"));
    model_->setComparison(comparison, mine, module);
    table_->sortByColumn(-1, Qt::AscendingOrder);
    QString site = QString::fromStdString(entry.siteNumber);
    if (!entry.siteName.empty())
        site += QStringLiteral(" – ") + QString::fromStdString(entry.siteName);
    heading_->setText(QStringLiteral("Moduł ostatnio widziany na porcie %1: numer seryjny %2, "
                                     "obiekt %3 (%4 %5).")
                          .arg(portName, QString::fromStdString(entry.serialNumber), site,
                               QString::fromStdString(stateText(entry.state)),
                               QString::fromStdString(entry.time)));
    if (comparison.same()) {
        summary_->setText(QStringLiteral(
            "Konfiguracja w oknie nie różni się od ostatnio znanej konfiguracji modułu."));
    } else {
        summary_->setText(QStringLiteral("Zmian w module: %1").arg(model_->rowCount()));
    }
    table_->setVisible(!comparison.same());
    if (comparison.same())
        resize(700, sizeHint().height());
    else
        resize(std::max(width(), 900), std::max(height(), 480));
    cancel_->setFocus();
    return exec() == QDialog::Accepted;
}

} // namespace qv::gui
