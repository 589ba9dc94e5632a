#include "report/report_pdf.hpp"

#include "common/file_io.hpp"

#include <QBuffer>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextLayout>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <utility>

namespace qv::report {

namespace {

// Sizes in points.
constexpr double kTitlePt = 16, kSectionPt = 12, kCaptionPt = 9, kBodyPt = 7.5, kFooterPt = 7;
constexpr double kPadPt = 2, kGapPt = 6, kLinePt = 0.5, kSplitRoomPt = 40;
constexpr int kResolution = 300; // dots per inch of the PDF's coordinates
const QColor kRule{0x70, 0x70, 0x70};
const QColor kHeaderFill{0xE6, 0xE6, 0xE6};

QString q(const std::string& utf8) {
    QString t = QString::fromStdString(utf8);
    t.replace(QLatin1Char('\n'), QChar::LineSeparator);
    return t;
}

// Lays out and, with a painter, paints the report. Run once without a painter to count the
// pages, then again with one.
class Pages {
  public:
    Pages(const ConfigReport& report, QPagedPaintDevice& device, QPainter* painter, int total)
        : report_(report), device_(device), painter_(painter), total_(total),
          dpi_(device.logicalDpiY()), width_(device.width()), height_(device.height()) {
        const QString family = reportFontFamily();
        auto make = [&](double points, bool bold) {
            QFont f(family);
            f.setPointSizeF(points);
            f.setBold(bold);
            return f;
        };
        title_ = make(kTitlePt, true);
        section_ = make(kSectionPt, true);
        caption_ = make(kCaptionPt, true);
        body_ = make(kBodyPt, false);
        header_ = make(kBodyPt, true);
        footer_ = make(kFooterPt, false);
        pad_ = pt(kPadPt);
        footerHeight_ = textHeight(QStringLiteral("Ag"), footer_, width_) + pt(kGapPt);
        result_.bodyTop = 0;
        result_.bodyBottom = height_ - footerHeight_;
    }

    PaintedReport run() {
        page_ = 1;
        y_ = 0;
        text(q(report_.title), title_, width_);
        y_ += pt(kGapPt);
        ReportTable block;
        block.widths = {2, 3};
        for (const auto& f : report_.titleBlock)
            block.rows.push_back({f.label, f.value});
        // Room to sign: three lines each.
        for (const auto& f : report_.signatures)
            block.rows.push_back({f.label, f.value + "\n\n"});
        table(block, -1, 0, 0);
        for (std::size_t s = 0; s < report_.sections.size(); ++s) {
            const ReportSection& section = report_.sections[s];
            const double heading = pt(kGapPt) + textHeight(q(section.title), section_, width_);
            const double lead = section.tables.empty() ? 0 : tableLead(section.tables.front());
            if (y_ + heading + lead > result_.bodyBottom) newPage();
            y_ += pt(kGapPt);
            text(q(section.title), section_, width_);
            for (std::size_t t = 0; t < section.tables.size(); ++t)
                table(section.tables[t], static_cast<int>(s), static_cast<int>(t), pt(kGapPt) / 2);
        }
        paintFooter();
        result_.pages = page_;
        return result_;
    }

  private:
    double pt(double points) const { return points * dpi_ / 72.0; }

    // Lays text out in width; paints it at (x, y) when painting. Returns its height.
    double layout(const QString& t, const QFont& font, double width, double x, double y,
                  Qt::Alignment align = Qt::AlignLeft) {
        QTextLayout l(t, font, &device_);
        QTextOption option(align);
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        l.setTextOption(option);
        l.beginLayout();
        double h = 0;
        for (QTextLine line = l.createLine(); line.isValid(); line = l.createLine()) {
            line.setLineWidth(width);
            line.setPosition(QPointF(0, h));
            h += line.height();
        }
        l.endLayout();
        if (painter_) {
            painter_->setPen(Qt::black);
            l.draw(painter_, QPointF(x, y));
        }
        return h;
    }
    double textHeight(const QString& t, const QFont& font, double width) {
        QPainter* p = std::exchange(painter_, nullptr);
        const double h = layout(t, font, width, 0, 0);
        painter_ = p;
        return h;
    }
    void text(const QString& t, const QFont& font, double width) {
        y_ += layout(t, font, width, 0, y_);
    }

    std::vector<double> columnWidths(const ReportTable& t) const {
        std::vector<double> w;
        const std::size_t n = std::max(t.widths.size(), t.header.size());
        double sum = 0;
        for (std::size_t c = 0; c < n; ++c)
            sum += c < t.widths.size() ? std::max(t.widths[c], 1) : 1;
        for (std::size_t c = 0; c < n; ++c)
            w.push_back(width_ * (c < t.widths.size() ? std::max(t.widths[c], 1) : 1) / sum);
        return w;
    }

    // A row's cells laid out in their columns: each cell's lines and where each line starts.
    struct LaidRow {
        std::vector<std::unique_ptr<QTextLayout>> cells;
        std::vector<std::vector<double>> lineTops; // per cell, plus its end
        double height = 0;                         // the whole row, padding included
    };

    LaidRow layRow(const std::vector<std::string>& cells, const std::vector<double>& w,
                   const QFont& font) {
        LaidRow row;
        double h = 0;
        for (std::size_t c = 0; c < w.size(); ++c) {
            auto l = std::make_unique<QTextLayout>(c < cells.size() ? q(cells[c]) : QString(), font,
                                                   &device_);
            QTextOption option;
            option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
            l->setTextOption(option);
            std::vector<double> tops;
            double top = 0;
            l->beginLayout();
            for (QTextLine line = l->createLine(); line.isValid(); line = l->createLine()) {
                line.setLineWidth(w[c] - 2 * pad_);
                line.setPosition(QPointF(0, top));
                tops.push_back(top);
                top += line.height();
            }
            l->endLayout();
            tops.push_back(top);
            h = std::max(h, top);
            row.cells.push_back(std::move(l));
            row.lineTops.push_back(std::move(tops));
        }
        row.height = h + 2 * pad_;
        return row;
    }

    double rowHeight(const std::vector<std::string>& cells, const std::vector<double>& w,
                     const QFont& font) {
        return layRow(cells, w, font).height;
    }

    // Paints lines [from[c], to[c]) of each cell as one band of the row, height tall.
    void paintBand(const LaidRow& row, const std::vector<double>& w, const std::vector<int>& from,
                   const std::vector<int>& to, double height, bool header) {
        if (painter_) {
            double x = 0;
            QPen pen(kRule);
            pen.setWidthF(pt(kLinePt));
            for (std::size_t c = 0; c < w.size(); ++c) {
                const QRectF cell(x, y_, w[c], height);
                if (header) painter_->fillRect(cell, kHeaderFill);
                painter_->setPen(pen);
                painter_->setBrush(Qt::NoBrush);
                painter_->drawRect(cell);
                painter_->setPen(Qt::black);
                const double shift = row.lineTops[c].at(static_cast<std::size_t>(from[c]));
                for (int i = from[c]; i < to[c]; ++i)
                    row.cells[c]->lineAt(i).draw(painter_, QPointF(x + pad_, y_ + pad_ - shift));
                x += w[c];
            }
        }
        y_ += height;
    }

    void paintRow(const LaidRow& row, const std::vector<double>& w, bool header) {
        std::vector<int> from(w.size(), 0), to;
        for (const auto& cell : row.cells)
            to.push_back(cell->lineCount());
        paintBand(row, w, from, to, row.height, header);
    }

    // The caption, the header and the first row: kept together on one page.
    double tableLead(const ReportTable& t) {
        const auto w = columnWidths(t);
        double h = pt(kGapPt) / 2;
        if (!t.caption.empty()) h += textHeight(q(t.caption), caption_, width_) + pad_;
        if (!t.header.empty()) h += rowHeight(t.header, w, header_);
        if (!t.rows.empty()) {
            // A first row that no page can hold starts wherever a few of its lines fit.
            const double first = rowHeight(t.rows.front(), w, body_);
            h += first <= result_.bodyBottom - result_.bodyTop - h ? first : pt(kSplitRoomPt);
        }
        return h;
    }

    void placeHeader(const ReportTable& t, const std::vector<double>& w, int section, int index) {
        if (t.header.empty()) return;
        const LaidRow header = layRow(t.header, w, header_);
        result_.rows.push_back({page_, section, index, -1, y_, y_ + header.height});
        paintRow(header, w, true);
    }

    // A row taller than a whole page (only a text far beyond its field's length, from a file,
    // makes one) is the one row that is split: band by band, each under the header again.
    void placeSplitRow(const ReportTable& t, const LaidRow& row, const std::vector<double>& w,
                       int section, int index, int r) {
        // Near the foot of a page the row starts on the next one.
        if (result_.bodyBottom - y_ < pt(kSplitRoomPt)) {
            newPage();
            placeHeader(t, w, section, index);
        }
        std::vector<int> from(w.size(), 0);
        while (true) {
            std::vector<int> to(from);
            const double room = result_.bodyBottom - y_ - 2 * pad_;
            double used = 0;
            bool more = false;
            for (std::size_t c = 0; c < w.size(); ++c) {
                const auto& tops = row.lineTops[c];
                const int lines = static_cast<int>(tops.size()) - 1;
                const double start = tops[static_cast<std::size_t>(from[c])];
                // At least one line a band, so the split always ends.
                while (to[c] < lines && (to[c] == from[c] ||
                                         tops[static_cast<std::size_t>(to[c]) + 1] - start <= room))
                    ++to[c];
                used = std::max(used, tops[static_cast<std::size_t>(to[c])] - start);
                more |= to[c] < lines;
            }
            result_.rows.push_back({page_, section, index, r, y_, y_ + used + 2 * pad_});
            paintBand(row, w, from, to, used + 2 * pad_, false);
            if (!more) return;
            from = to;
            newPage();
            placeHeader(t, w, section, index);
        }
    }

    void table(const ReportTable& t, int section, int index, double gap) {
        const auto w = columnWidths(t);
        if (y_ + gap + tableLead(t) > result_.bodyBottom) newPage();
        y_ += gap;
        if (!t.caption.empty()) {
            text(q(t.caption), caption_, width_);
            y_ += pad_;
        }
        placeHeader(t, w, section, index);
        for (std::size_t r = 0; r < t.rows.size(); ++r) {
            const LaidRow row = layRow(t.rows[r], w, body_);
            const int rowIndex = static_cast<int>(r);
            if (y_ + row.height <= result_.bodyBottom) {
                result_.rows.push_back({page_, section, index, rowIndex, y_, y_ + row.height});
                paintRow(row, w, false);
                continue;
            }
            const double headerHeight = t.header.empty() ? 0 : rowHeight(t.header, w, header_);
            if (row.height > result_.bodyBottom - result_.bodyTop - headerHeight) {
                placeSplitRow(t, row, w, section, index, rowIndex);
                continue;
            }
            // A row that does not fit goes whole to the next page, under the header again.
            newPage();
            placeHeader(t, w, section, index);
            result_.rows.push_back({page_, section, index, rowIndex, y_, y_ + row.height});
            paintRow(row, w, false);
        }
        for (const auto& note : t.notes) {
            y_ += pad_;
            const double h = textHeight(q(note), footer_, width_);
            if (y_ + h > result_.bodyBottom) newPage();
            y_ += layout(q(note), footer_, width_, 0, y_);
        }
    }

    void paintFooter() {
        if (!painter_) return;
        const double top = height_ - footerHeight_ + pt(kGapPt);
        const QString label = q(reportPageLabel(report_.language, page_, total_));
        layout(q(report_.title), footer_, width_ / 2, 0, top);
        layout(label, footer_, width_ / 2, width_ / 2, top, Qt::AlignRight);
    }

    void newPage() {
        paintFooter();
        if (painter_) device_.newPage();
        ++page_;
        y_ = result_.bodyTop;
    }

    const ConfigReport& report_;
    QPagedPaintDevice& device_;
    QPainter* painter_;
    int total_;
    double dpi_, width_, height_;
    QFont title_, section_, caption_, body_, header_, footer_;
    double pad_ = 0, footerHeight_ = 0;
    int page_ = 1;
    double y_ = 0;
    PaintedReport result_;
};

// The command line has no display: Qt is told not to look for one.
void chooseHeadlessPlatform() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
#endif
}

// The command line's own messages are the ones it prints; Qt's notes about the desktop it runs
// without (no runtime folder, no display) are not news to its user.
void quietQt(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

} // namespace

QString reportFontFamily() {
    const QStringList families = QFontDatabase::families();
    for (const char* f : {"Liberation Sans", "Arial", "DejaVu Sans"})
        if (families.contains(QLatin1String(f), Qt::CaseInsensitive)) return QLatin1String(f);
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

PaintedReport paintReport(const ConfigReport& report, QPagedPaintDevice& device) {
    const int pages = Pages(report, device, nullptr, 0).run().pages;
    QPainter painter(&device);
    painter.setRenderHint(QPainter::Antialiasing);
    return Pages(report, device, &painter, pages).run();
}

QByteArray reportPdf(const ConfigReport& report, PaintedReport* painted) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(kResolution);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
        writer.setTitle(QString::fromStdString(report.title));
        writer.setCreator(QStringLiteral("QVProg"));
        const PaintedReport p = paintReport(report, writer);
        if (painted) *painted = p;
    }
    return bytes;
}

std::optional<std::string> writeReportPdf(const ConfigReport& report, const std::string& path) {
    std::unique_ptr<QGuiApplication> app;
    if (!QGuiApplication::instance()) {
        chooseHeadlessPlatform();
        qInstallMessageHandler(quietQt);
        static int argc = 1;
        static char name[] = "qvprog-cli";
        static char* argv[] = {name, nullptr};
        app = std::make_unique<QGuiApplication>(argc, argv);
    }
    const QByteArray pdf = reportPdf(report);
    return writeFileAtomic(path, pdf.toStdString());
}

} // namespace qv::report
