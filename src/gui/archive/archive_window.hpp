#pragma once
// "Archiwum modułów": the modules the archive has seen (searchable by serial number, site name,
// site number or phone number) and the chosen module's entries, newest first. An entry can be
// opened in the main window, compared with the window or with another entry, exported, given a
// note, or deleted.
#include "archive/archive_types.hpp"

#include <QDialog>

#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace qv::gui {

class AppContext;
class ArchiveEntryModel;
class ArchiveModuleModel;
class CompareWindow;

class ArchiveWindow : public QDialog {
    Q_OBJECT
  public:
    explicit ArchiveWindow(AppContext& ctx, QWidget* parent = nullptr);

    // Lists the modules again (the search kept) and shows the window.
    void showArchive();
    // Lists the modules that match the search text, and the first one's entries.
    void reload();

    ArchiveModuleModel* moduleModel() const { return modules_; }
    ArchiveEntryModel* entryModel() const { return entries_; }
    CompareWindow* compareWindow() const { return compare_; }

  Q_SIGNALS:
    // "Otwórz w oknie": the main window takes the entry as its configuration.
    void openRequested(const qv::ArchiveEntry& entry);

  private:
    void moduleChosen();
    void entrySelectionChanged();
    std::vector<std::int64_t> selectedIds() const;
    std::optional<ArchiveEntry> load(std::int64_t id);
    void openEntry();
    void compareWithWindow();
    void compareEntries();
    void exportEntry();
    void saveNote();
    void deleteEntry();
    void showProblem(const std::string& line);

    AppContext& ctx_;
    ArchiveModuleModel* modules_;
    ArchiveEntryModel* entries_;
    QLineEdit* search_;
    QTableView* moduleView_;
    QTableView* entryView_;
    QLabel* status_;
    QLineEdit* note_;
    QPushButton* open_;
    QPushButton* compareWindow_;
    QPushButton* compareEntries_;
    QPushButton* export_;
    QPushButton* saveNote_;
    QPushButton* delete_;
    CompareWindow* compare_ = nullptr;
};

} // namespace qv::gui
