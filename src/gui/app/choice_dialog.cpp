#include "gui/app/choice_dialog.hpp"

#include "config/messages.hpp"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace qv::gui {

ChoiceDialog::ChoiceDialog(const QString& text, const QStringList& items, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("ChoiceDialog"));
    setWindowTitle(QString::fromUtf8(msg::kAppTitle));
    auto* label = new QLabel(text, this);
    label->setObjectName(QStringLiteral("ChoiceText"));
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("ChoiceList"));
    list_->setAccessibleName(text.section(QLatin1Char('\n'), 0, 0));
    list_->addItems(items);
    list_->setCurrentRow(0);
    label->setBuddy(list_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("ChoiceButtons"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("ChoiceOk"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("ChoiceCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QListWidget::itemActivated, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(list_);
    layout->addWidget(buttons);
    const int rows = std::clamp(int(items.size()), 2, 8);
    // As tall as its items (up to eight; more scroll), so no empty rows are shown.
    list_->setFixedHeight(rows * list_->sizeHintForRow(0) + 2 * list_->frameWidth() + 4);
    list_->setMinimumWidth(std::min(list_->sizeHintForColumn(0) + 40, 900));
    list_->setFocus();
}

int ChoiceDialog::chosen() const {
    return result() == QDialog::Accepted ? list_->currentRow() : -1;
}

} // namespace qv::gui
