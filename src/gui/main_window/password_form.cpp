#include "gui/main_window/password_form.hpp"

#include "gui/widgets/window_placement.hpp"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

namespace qv::gui {

PasswordForm::PasswordForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TpasswordForm"));
    centreOnScreenWhenShown(this);
    setWindowTitle(QStringLiteral("Potwierdź hasło"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setModal(true);
    edit_ = new QLineEdit(this);
    edit_->setAccessibleName(QStringLiteral("Hasło"));
    edit_->setObjectName(QStringLiteral("confirmPasswordEdit"));
    edit_->setMaxLength(4);
    edit_->setToolTip(QStringLiteral("Długość pola: 4"));
    edit_->setMinimumWidth(120);
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setObjectName(QStringLiteral("PasswordOkButton"));
    ok_->setDefault(true);
    auto* row = new QHBoxLayout(this);
    row->addWidget(edit_);
    row->addWidget(ok_);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(edit_, &QLineEdit::returnPressed, this, &QDialog::accept);
}

QString PasswordForm::confirm(const QString& text) {
    edit_->setText(text);
    edit_->selectAll();
    edit_->setFocus();
    exec();
    return edit_->text();
}

} // namespace qv::gui
