// The .qvx text file: opening any file, then saving the configuration into that same file
// (which keeps its foreign lines), then opening the result again.
#include "common/clock.hpp"
#include "config/config_document.hpp"
#include "fuzz_support.hpp"

using namespace qv;

namespace {
// Saving inserts one key per memo line; the writer's cost per inserted key still grows with
// the size of the section, so the memo is held to a size the fuzzer can afford per input.
constexpr std::size_t kMemoLinesSaved = 200;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static VirtualClock clock;
    const std::string path = fuzz::scratch().path("fuzz.qvx");
    fuzz::writeFile(path, fuzz::asText(data, size));

    ConfigDocument doc(clock, fuzz::scratch().dir());
    const OpenResult opened = doc.openFile(path);
    if (!opened.opened) fuzz::fail("a readable text file was not opened");
    (void)doc.tab2form();
    (void)doc.isModified();
    auto& memo = doc.settings().description;
    if (memo.size() > kMemoLinesSaved) memo.resize(kMemoLinesSaved);

    if (!doc.saveFile(path).saved) fuzz::fail("saving into an existing file failed");
    ConfigDocument again(clock, fuzz::scratch().dir());
    if (!again.openFile(path).opened) fuzz::fail("the saved file was not opened");
    // The memo's line count is written, so it always comes back (its lines lose blanks and
    // quotes at their ends, as the profile reader takes them).
    if (again.settings().description.size() != memo.size()) fuzz::fail("memo size changed");
    return 0;
}
