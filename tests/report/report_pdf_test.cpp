#include "report/report_pdf.hpp"

#include "common/clock.hpp"
#include "config/config_document.hpp"
#include "config/defaults.hpp"
#include "support/full_settings.hpp"

#include <QGuiApplication>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace qv {
namespace {

namespace fs = std::filesystem;

struct Output {
    int status = -1;
    std::string out;
};

Output run(const std::string& command) {
    Output r;
    FILE* p = popen((command + " 2>&1").c_str(), "r");
    if (!p) return r;
    std::array<char, 4096> buf{};
    while (const std::size_t n = std::fread(buf.data(), 1, buf.size(), p))
        r.out.append(buf.data(), n);
    const int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

bool havePoppler() {
    return run("command -v pdftotext && command -v pdffonts").status == 0;
}

#define NEED_POPPLER()                                                                             \
    if (!havePoppler()) GTEST_SKIP() << "pdftotext/pdffonts (poppler-utils) are not installed"

std::string noSpace(const std::string& t) {
    std::string out;
    for (const char c : t)
        if (!std::isspace(static_cast<unsigned char>(c))) out += c;
    return out;
}

class ReportPdf : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("qvprog-report-test-" + std::to_string(getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override {
        if (!std::getenv("QVPROG_KEEP_REPORTS")) fs::remove_all(dir_);
    }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    std::string writePdf(const ConfigReport& r, const std::string& name,
                         report::PaintedReport* painted = nullptr) {
        const QByteArray pdf = report::reportPdf(r, painted);
        std::ofstream(path(name), std::ios::binary).write(pdf.data(), pdf.size());
        return path(name);
    }
    // The text of a PDF in the order it was drawn (a cell's lines stay together).
    static std::string pdfText(const std::string& file, int page = 0) {
        std::string range = page > 0 ? " -f " + std::to_string(page) + " -l " + std::to_string(page)
                                     : std::string();
        return run("pdftotext -raw -enc UTF-8" + range + " '" + file + "' -").out;
    }

    fs::path dir_;
};

ReportSource source(Language language = Language::Polish) {
    return {"/dom/Łódź/żółw.qvx", "2026-03-04 05:06:07", "QV PROG 2.2.24", "2026-12-09 10:11:12",
            language};
}

// Every text of the model is in the PDF's text, Polish letters included.
void expectAllTextIn(const ConfigReport& r, const std::string& text) {
    const std::string flat = noSpace(text);
    auto expect = [&](const std::string& t) {
        EXPECT_NE(flat.find(noSpace(t)), std::string::npos) << "missing: " << t;
    };
    expect(r.title);
    for (const auto& f : r.titleBlock) {
        expect(f.label);
        expect(f.value);
    }
    for (const auto& section : r.sections) {
        expect(section.title);
        for (const auto& t : section.tables) {
            expect(t.caption);
            for (const auto& h : t.header)
                expect(h);
            for (const auto& row : t.rows)
                for (const auto& cell : row)
                    expect(cell);
        }
    }
}

TEST_F(ReportPdf, DefaultAndFullConfigurationsHoldEveryTextWithEmbeddedFonts) {
    NEED_POPPLER();
    Settings defaults;
    applyDefaults(defaults);
    for (const auto& [name, settings] : std::map<std::string, Settings>{
             {"default.pdf", defaults}, {"full.pdf", test::fullSettings()}}) {
        const ConfigReport r = makeConfigReport(settings, source());
        const std::string file = writePdf(r, name);
        const std::string text = pdfText(file);
        expectAllTextIn(r, text);
        // Polish letters come out as themselves, not as look-alikes or boxes.
        EXPECT_NE(text.find("Raport konfiguracji modułu"), std::string::npos) << name;
        EXPECT_NE(text.find("Łódź/żółw.qvx"), std::string::npos) << name;
        // Every font is embedded; pdffonts prints "yes" in the emb column of each.
        const Output fonts = run("pdffonts '" + file + "'");
        std::istringstream lines(fonts.out);
        std::string line;
        int listed = 0;
        for (int n = 0; std::getline(lines, line); ++n) {
            if (n < 2) continue;
            ++listed;
            std::istringstream cols(line);
            std::string fontName, type1, type2, encoding, embedded;
            cols >> fontName >> type1 >> type2 >> encoding >> embedded;
            EXPECT_EQ(embedded, "yes") << line;
        }
        EXPECT_GE(listed, 1) << fonts.out;
        const Output info = run("pdfinfo '" + file + "'");
        EXPECT_NE(info.out.find("(A4)"), std::string::npos) << info.out;
    }
}

TEST_F(ReportPdf, LongTextsPageWithoutCutRowsAndWithRepeatedHeaders) {
    NEED_POPPLER();
    const ConfigReport r = makeConfigReport(test::fullSettings(), source());
    report::PaintedReport painted;
    const std::string file = writePdf(r, "full.pdf", &painted);
    ASSERT_GE(painted.pages, 3);
    std::set<std::tuple<int, int, int>> seen;
    std::map<std::pair<int, int>, std::set<int>> headerPages; // table -> pages with its header
    bool continued = false;
    for (const auto& row : painted.rows) {
        EXPECT_GE(row.top, painted.bodyTop - 0.01);
        EXPECT_LE(row.bottom, painted.bodyBottom + 0.01)
            << "section " << row.section << " table " << row.table << " row " << row.row;
        if (row.row < 0) {
            auto& pages = headerPages[std::pair{row.section, row.table}];
            pages.insert(row.page);
            continued |= pages.size() > 1;
            continue;
        }
        EXPECT_TRUE(seen.insert({row.section, row.table, row.row}).second);
        const auto& t = row.section < 0 ? ReportTable{} : r.sections[row.section].tables[row.table];
        const std::pair table{row.section, row.table};
        if (!t.header.empty()) {
            EXPECT_TRUE(headerPages[table].count(row.page))
                << "row without its header on page " << row.page;
        }
    }
    // Some table went on over a page break, so the repetition was exercised.
    EXPECT_TRUE(continued);
    std::size_t rows = 0;
    for (const auto& section : r.sections)
        for (const auto& t : section.tables)
            rows += t.rows.size();
    EXPECT_EQ(seen.size(), rows + r.titleBlock.size() + r.signatures.size());
    // Each page names itself and the count.
    for (int page = 1; page <= painted.pages; ++page)
        EXPECT_NE(pdfText(file, page).find(reportPageLabel(Language::Polish, page, painted.pages)),
                  std::string::npos)
            << page;
}

// Only a text far beyond its field's length (a hand-edited file) makes a row taller than a
// page: that row alone is split, band by band under its header, and nothing is lost.
TEST_F(ReportPdf, ARowNoPageCanHoldIsSplitIntoBandsAndKeepsAllItsText) {
    NEED_POPPLER();
    Settings s = test::fullSettings();
    s.input(3).description = test::filledText("WIDE", 9000);
    s.description = {test::filledText("HUGE", 15000), "po"};
    const ConfigReport r = makeConfigReport(s, source());
    report::PaintedReport painted;
    const std::string file = writePdf(r, "huge.pdf", &painted);
    std::map<std::tuple<int, int, int>, int> bands;
    for (const auto& row : painted.rows) {
        EXPECT_LE(row.bottom, painted.bodyBottom + 0.01) << row.page;
        if (row.row >= 0) ++bands[{row.section, row.table, row.row}];
    }
    const int opisy = static_cast<int>(r.sections.size()) - 1;
    EXPECT_GE((bands[{opisy, 0, 2}]), 2);
    EXPECT_GE((bands[{opisy, 1, 0}]), 2);
    EXPECT_EQ((bands[{opisy, 1, 1}]), 1);
    // The text read back without the page feet and repeated headers is the text written.
    std::string text = noSpace(pdfText(file));
    auto erase = [&](const std::string& what) {
        const std::string w = noSpace(what);
        for (auto at = text.find(w); at != std::string::npos; at = text.find(w))
            text.erase(at, w.size());
    };
    for (int page = painted.pages; page >= 1; --page)
        erase(reportPageLabel(Language::Polish, page, painted.pages));
    erase(r.title);
    for (const auto& t : r.sections.back().tables)
        for (const auto& h : t.header)
            erase(h);
    EXPECT_NE(text.find(noSpace(s.input(3).description)), std::string::npos);
    EXPECT_NE(text.find(noSpace(s.description[0])), std::string::npos);
}

TEST_F(ReportPdf, EnglishCaptions) {
    NEED_POPPLER();
    const ConfigReport r = makeConfigReport(test::fullSettings(), source(Language::English));
    const std::string text = pdfText(writePdf(r, "en.pdf"));
    expectAllTextIn(r, text);
    EXPECT_NE(text.find("Page 1 of"), std::string::npos);
    EXPECT_NE(text.find("INPUTS + SMS/CLIP (BASE)"), std::string::npos);
}

#ifdef QVPROG_CLI_PATH
TEST_F(ReportPdf, CommandLineMakesPdfAndHtmlFromAFile) {
    NEED_POPPLER();
    VirtualClock clock;
    ConfigDocument doc(clock, path(""));
    doc.startUp("COM1");
    doc.settings() = test::fullSettings();
    ASSERT_TRUE(doc.saveFile(path("pełna.qvx")).saved);
    const std::string cli = std::string(QVPROG_CLI_PATH) + " ";
    // The CLI needs no display: DISPLAY is cleared and no platform is named.
    const std::string env = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ";
    const Output pdf =
        run(env + cli + "report '" + path("pełna.qvx") + "' '" + path("r.pdf") + "'");
    ASSERT_EQ(pdf.status, 0) << pdf.out;
    const std::string text = pdfText(path("r.pdf"));
    EXPECT_NE(noSpace(text).find(noSpace(doc.settings().input(9).alarmPrivText)),
              std::string::npos);
    EXPECT_NE(text.find("pełna.qvx"), std::string::npos);
    const Output html =
        run(cli + "report '" + path("pełna.qvx") + "' '" + path("r.HTML") + "' --english");
    ASSERT_EQ(html.status, 0) << html.out;
    std::ifstream in(path("r.HTML"));
    const std::string h((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(h.find("<html lang=\"en\">"), std::string::npos);
    EXPECT_NE(h.find(doc.settings().apn), std::string::npos);
    // Refusals: an unknown extension is bad usage, a missing file a refused open.
    EXPECT_EQ(run(cli + "report '" + path("pełna.qvx") + "' '" + path("r.txt") + "'").status, 2);
    EXPECT_EQ(run(cli + "report '" + path("brak.qvx") + "' '" + path("r2.pdf") + "'").status, 1);
    EXPECT_FALSE(fs::exists(path("r2.pdf")));
    EXPECT_EQ(run(cli + "report only-one.qvx").status, 2);
}
#endif

} // namespace
} // namespace qv

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
