#include "gui/monitor/terminal_window.hpp"

#include "gui/app/appearance.hpp"
#include "monitor/monitor_model.hpp"

#include <QGridLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTableWidget>

#include <algorithm>

namespace qv::gui {

namespace {
constexpr int kTagColumnWidth = 2000;
constexpr int kWidth = 560, kHeight = 640, kMinWidth = 320;

QString joined(const std::vector<std::string>& lines, std::size_t from) {
    QString text;
    for (std::size_t i = from; i < lines.size(); ++i) {
        if (i > from) text += QLatin1Char('\n');
        text += QString::fromStdString(lines[i]);
    }
    return text;
}
} // namespace

TerminalWindow::TerminalWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("TterminalForm"));
    setWindowTitle(QStringLiteral("terminalForm"));

    command_ = new QLineEdit(QStringLiteral("AT+"), this);
    command_->setObjectName(QStringLiteral("command"));
    command_->setAccessibleName(QStringLiteral("Polecenie AT"));
    send_ = new QPushButton(QStringLiteral("Wyślij"), this);
    send_->setObjectName(QStringLiteral("AtCmdButton"));
    send_->setAutoDefault(false);
    smsBody_ = new QLineEdit(QStringLiteral("SMS BODY"), this);
    smsBody_->setObjectName(QStringLiteral("smsBody"));
    smsBody_->setAccessibleName(QStringLiteral("Treść SMS"));
    sms_ = new QPushButton(QStringLiteral("SMS body"), this);
    sms_->setObjectName(QStringLiteral("Button1"));
    sms_->setAutoDefault(false);

    lineLog_ = new QPlainTextEdit(this);
    lineLog_->setObjectName(QStringLiteral("Memo1"));
    lineLog_->setAccessibleName(QStringLiteral("Odebrane linie"));
    lineLog_->setReadOnly(true);
    lineLog_->setFont(fixedPitchFont());
    lineLog_->setLineWrapMode(QPlainTextEdit::NoWrap); // both scroll bars
    lineLog_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    lineLog_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    byteLog_ = new QPlainTextEdit(this);
    byteLog_->setObjectName(QStringLiteral("Memo2"));
    byteLog_->setAccessibleName(QStringLiteral("Odebrane bajty"));
    byteLog_->setReadOnly(true);
    byteLog_->setFont(fixedPitchFont()); // "41 A": code and character in columns
    byteLog_->setMaximumBlockCount(kByteLogLines);
    byteLog_->setFixedWidth(90);

    tags_ = new QTableWidget(kTagRows, 1, this);
    tags_->setObjectName(QStringLiteral("StringGrid1"));
    tags_->setAccessibleName(QStringLiteral("Linie stanu"));
    tags_->horizontalHeader()->hide();
    tags_->verticalHeader()->hide();
    tags_->setColumnWidth(0, kTagColumnWidth);
    tags_->verticalHeader()->setDefaultSectionSize(18);
    tags_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int r = 0; r < kTagRows; ++r)
        tags_->setItem(r, 0, new QTableWidgetItem);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->addWidget(command_, 0, 0);
    grid->addWidget(send_, 0, 1);
    grid->addWidget(smsBody_, 1, 0);
    grid->addWidget(sms_, 1, 1);
    auto* logs = new QHBoxLayout;
    logs->addWidget(lineLog_, 1);
    logs->addWidget(byteLog_);
    grid->addLayout(logs, 2, 0, 1, 2);
    grid->addWidget(tags_, 3, 0, 1, 2);
    grid->setRowStretch(2, 3);
    grid->setRowStretch(3, 2);
    resize(kWidth, kHeight);

    connect(send_, &QPushButton::clicked, this, [this] { Q_EMIT sendCommand(command_->text()); });
    connect(command_, &QLineEdit::returnPressed, send_, &QPushButton::click);
    connect(sms_, &QPushButton::clicked, this,
            [this] { Q_EMIT sendSmsBody(command_->text(), smsBody_->text()); });
}

void TerminalWindow::placeBeside(QWidget* other) {
    const QScreen* screen = other->screen();
    if (!screen) return;
    const QRect room = screen->availableGeometry();
    QRect beside = other->frameGeometry();
    // The window frame, as the other window's.
    const QSize frame = beside.size() - other->size();
    const int wanted = kWidth + frame.width(), least = kMinWidth + frame.width();
    const int height = std::min(kHeight + frame.height(), room.height());
    const int top = std::clamp(beside.top(), room.top(), room.bottom() + 1 - height);
    int left = 0, width = wanted;
    if (room.right() - beside.right() >= least) {
        width = std::min(wanted, room.right() - beside.right());
        left = beside.right() + 1;
    } else if (beside.left() - room.left() >= least) {
        width = std::min(wanted, beside.left() - room.left());
        left = beside.left() - width;
    } else if (room.width() - beside.width() >= least) {
        other->move(room.left(), beside.top());
        beside.moveLeft(room.left());
        width = std::min(wanted, room.right() - beside.right());
        left = beside.right() + 1;
    } else {
        left = room.right() + 1 - wanted;
    }
    move(left, top);
    resize(width - frame.width(), height - frame.height());
}

void TerminalWindow::noteBytes(std::span<const std::uint8_t> bytes) {
    // Only the bytes the byte log can still show are kept until the next refresh.
    const std::size_t keep = kByteLogLines;
    if (bytes.size() >= keep) {
        pendingBytes_.assign(reinterpret_cast<const char*>(bytes.data() + bytes.size() - keep),
                             keep);
        return;
    }
    pendingBytes_.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (pendingBytes_.size() > keep) pendingBytes_.erase(0, pendingBytes_.size() - keep);
}

void TerminalWindow::refreshLineLog(const MonitorModel& model) {
    const auto& lines = model.lineLog();
    if (model.lineLogClears() != clearsShown_ || lines.size() < linesShown_) {
        // The log was emptied past its limit: the memo starts afresh with what came since.
        clearsShown_ = model.lineLogClears();
        lineLog_->setPlainText(joined(lines, 0));
        linesShown_ = lines.size();
        return;
    }
    if (lines.size() == linesShown_) return;
    lineLog_->appendPlainText(joined(lines, linesShown_));
    linesShown_ = lines.size();
}

void TerminalWindow::refresh(const MonitorModel& model) {
    refreshLineLog(model);
    if (!pendingBytes_.empty()) {
        QString text;
        text.reserve(static_cast<qsizetype>(pendingBytes_.size() * 5));
        for (std::size_t i = 0; i < pendingBytes_.size(); ++i) {
            if (i) text += QLatin1Char('\n');
            text +=
                QString::fromStdString(byteLogLine(static_cast<std::uint8_t>(pendingBytes_[i])));
        }
        pendingBytes_.clear();
        byteLog_->appendPlainText(text);
    }
    const auto& tags = model.tagTable();
    for (int r = 0; r < kTagRows; ++r) {
        const QString t = QString::fromStdString(tags[static_cast<std::size_t>(r)]);
        if (tags_->item(r, 0)->text() != t) tags_->item(r, 0)->setText(t);
    }
}

} // namespace qv::gui
