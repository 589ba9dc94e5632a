// A monitor recording (.qvmon) from anywhere: the reader stops at the first damage with a
// message, never reads past what it was given, and a replay of whatever it accepts plays to its
// end and back without harm. Batches it accepts are written again byte for byte the same.
#include "fuzz_support.hpp"
#include "monitor/monitor_replay.hpp"
#include "monitor/qvmon_file.hpp"

#include <sstream>

using namespace qv;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(fuzz::asText(data, size));
    {
        std::istringstream in(bytes);
        QvmonReader reader(in);
        if (!reader.valid()) {
            if (reader.error().empty()) fuzz::fail("a refused recording without a message");
        } else {
            std::string again = qvmonHeaderBytes(reader.header());
            std::size_t total = 0;
            while (const auto batch = reader.next()) {
                if (batch->bytes.empty() || batch->bytes.size() > kQvmonMaxBatch)
                    fuzz::fail("a batch of an impossible length");
                total += batch->bytes.size();
                again += qvmonBatchBytes(batch->ms, batch->bytes);
            }
            if (total > size) fuzz::fail("more bytes read than given");
            // What was read, written again, reads back the same.
            std::istringstream in2(again);
            QvmonReader reread(in2);
            if (!reread.valid()) fuzz::fail("a header written again does not read");
            std::uint64_t n = 0;
            while (reread.next())
                ++n;
            if (n != reader.batchesRead() || !reread.error().empty())
                fuzz::fail("batches written again read differently");
        }
    }
    std::istringstream in(bytes);
    MonitorReplay replay(in);
    replay.seek(replay.duration() / 2);
    replay.seek(replay.duration());
    replay.seek(0);
    replay.seek(replay.duration() + 1000);
    if (replay.valid() && !replay.atEnd()) fuzz::fail("the replay does not reach its end");
    return 0;
}
