#include "gui/main_window/memo_form.hpp"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>

namespace qv::gui {

MemoForm::MemoForm(AppContext&, QWidget* parent)
    : TextWindow(QStringLiteral("TFormMemo"), QStringLiteral("SMSy konfiguracyjne"), parent) {
    // Only the system menu in the frame.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    resize(kWidth, kHeight);
    auto* row = new QHBoxLayout;
    row->setContentsMargins(8, 4, 8, 6);
    auto* send = new QPushButton(QStringLiteral("&Wyślij SMS-ami..."), this);
    send->setObjectName(QStringLiteral("smsSendFromListingButton"));
    send->setAccessibleName(QStringLiteral("Wyślij zmianę konfiguracji SMS-ami przez modem"));
    row->addStretch(1);
    row->addWidget(send);
    static_cast<QBoxLayout*>(layout())->addLayout(row);
    connect(send, &QPushButton::clicked, this, [this] {
        accept();
        Q_EMIT sendRequested();
    });
}

void MemoForm::clearLines() {
    memo()->clear();
    hasLines_ = false;
}

void MemoForm::setCaption(const QString& caption) {
    setWindowTitle(caption);
    memo()->setAccessibleName(caption);
}

void MemoForm::addLine(const QString& line) {
    // Each line its own block, the first one too (appending to an empty memo would merge an
    // empty first line with the next).
    QTextCursor cursor(memo()->document());
    cursor.movePosition(QTextCursor::End);
    if (hasLines_) cursor.insertBlock();
    cursor.insertText(line);
    hasLines_ = true;
}

QStringList MemoForm::lines() const {
    if (!hasLines_ && memo()->document()->isEmpty()) return {};
    return memo()->toPlainText().split(QLatin1Char('\n'));
}

} // namespace qv::gui
