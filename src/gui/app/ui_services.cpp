#include "gui/app/ui_services.hpp"

#include "config/messages.hpp"
#include "gui/app/choice_dialog.hpp"
#include "gui/app/sound_player.hpp"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>

namespace qv::gui {

namespace {
// Message boxes have no title of their own: the desktop shows the program's title on them.
int runBox(QWidget* parent, QMessageBox::Icon icon, const QString& text,
           QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, QString::fromUtf8(msg::kAppTitle), text, buttons, parent);
    box.setObjectName(QStringLiteral("MessageBox"));
    return box.exec();
}
} // namespace

bool UiServices::question(QWidget* parent, const QString& text) {
    return runBox(parent, QMessageBox::Question, text, QMessageBox::Ok | QMessageBox::Cancel) ==
           QMessageBox::Ok;
}

void UiServices::information(QWidget* parent, const QString& text) {
    runBox(parent, QMessageBox::Information, text, QMessageBox::Ok);
}

void UiServices::warning(QWidget* parent, const QString& text) {
    runBox(parent, QMessageBox::Warning, text, QMessageBox::Ok);
}

void UiServices::error(QWidget* parent, const QString& text) {
    runBox(parent, QMessageBox::Critical, text, QMessageBox::Ok);
}

int UiServices::choose(QWidget* parent, const QString& text, const QStringList& items) {
    ChoiceDialog dialog(text, items, parent);
    dialog.exec();
    return dialog.chosen();
}

void UiServices::show(QWidget* parent, const UserMessage& message) {
    const QString text = QString::fromStdString(message.text);
    if (message.icon == UserMessage::Icon::Error)
        error(parent, text);
    else if (message.icon == UserMessage::Icon::Warning)
        warning(parent, text);
    else
        information(parent, text);
}

void UiServices::showAll(QWidget* parent, const std::vector<UserMessage>& messages) {
    for (const auto& m : messages)
        show(parent, m);
}

QStringList qtNameFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            patterns << p;
            if (p.toLower() != p) patterns << p.toLower();
        }
        out << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return out;
}

QString UiServices::openFileName(QWidget* parent, const QString& title, const QString& dir,
                                 const QString& filter) {
    QFileDialog dialog(parent, title, dir);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(qtNameFilters(filter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

QString UiServices::saveFileName(QWidget* parent, const QString& title, const QString& dir,
                                 const QString& filter, const QString& defaultSuffix) {
    QFileDialog dialog(parent, title, dir);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(qtNameFilters(filter));
    dialog.setDefaultSuffix(defaultSuffix);
    // The program asks its own overwrite question.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

void UiServices::play(Sound sound) {
    SoundPlayer::instance().play(sound);
}

bool UiServices::openUrl(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

} // namespace qv::gui
