#pragma once
// A plain text window (the configuration as SMS commands is listed in it).
#include "gui/main_window/text_memo.hpp"

namespace qv::gui {

class AppContext;

class MemoForm : public TextWindow {
    Q_OBJECT
  public:
    static constexpr int kWidth = 870;
    static constexpr int kHeight = 500;

    explicit MemoForm(AppContext& ctx, QWidget* parent = nullptr);
    void clearLines();
    void setCaption(const QString& caption);
    void addLine(const QString& line);
    // The memo's lines as it holds them now (none after clearLines()).
    QStringList lines() const;

  Q_SIGNALS:
    // "Wyślij SMS-ami...": the listing closes and the SMS window opens.
    void sendRequested();

  private:
    bool hasLines_ = false; // an empty first line leaves the document empty
};

} // namespace qv::gui
