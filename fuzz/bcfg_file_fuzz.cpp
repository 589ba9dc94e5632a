// The .bCFG binary file: the check of any bytes, opening the file (with the event buffer a
// 13123-byte file carries), and a configuration opened from it saved and opened again.
#include "common/clock.hpp"
#include "config/config_document.hpp"
#include "config/config_file.hpp"
#include "fuzz_support.hpp"
#include "monitor/event_history.hpp"

using namespace qv;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static VirtualClock clock;
    const std::string bytes(fuzz::asText(data, size));
    BinaryFileContents contents;
    const BinaryCheck check = decodeBinaryFile(bytes, contents);

    const std::string path = fuzz::scratch().path("fuzz.bCFG");
    fuzz::writeFile(path, bytes);
    ConfigDocument doc(clock, fuzz::scratch().dir());
    const OpenResult opened = doc.openFile(path);
    if (opened.opened != (check == BinaryCheck::Ok)) fuzz::fail("open disagrees with the check");
    if (!opened.opened) return 0;
    if (opened.eventBuffer) {
        HistoryTable table;
        table.fill(*opened.eventBuffer, contents.payload.back());
        table.sortByTime();
    }

    const std::string copy = fuzz::scratch().path("copy.bCFG");
    if (!doc.saveFile(copy).saved) fuzz::fail("saving the binary file failed");
    ConfigDocument again(clock, fuzz::scratch().dir());
    if (!again.openFile(copy).opened) fuzz::fail("the saved binary file was not opened");
    if (again.image() != doc.image()) fuzz::fail("the saved image came back different");
    return 0;
}
