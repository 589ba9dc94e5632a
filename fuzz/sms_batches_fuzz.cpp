// The store of SMS batches (JSON). Batches that load are written and must load back the same.
#include "fuzz_support.hpp"
#include "sms/sms_batch.hpp"

using namespace qv;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string error;
    const auto batches = smsBatchesFromJson(fuzz::asText(data, size), error);
    if (!batches) {
        if (error.empty()) fuzz::fail("refused batches without a reason");
        return 0;
    }
    const auto back = smsBatchesFromJson(smsBatchesJson(*batches), error);
    if (!back || *back != *batches) fuzz::fail("the written batches came back different");
    return 0;
}
