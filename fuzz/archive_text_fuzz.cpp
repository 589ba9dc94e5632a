// The texts the archive decodes and compares: search folding, phone digits, and what a
// configuration image of any bytes says about its site.
#include "archive/archive_text.hpp"
#include "fuzz_support.hpp"

#include <algorithm>
#include <cstring>

using namespace qv;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::asText(data, size);
    const std::string folded = foldForSearch(text);
    if (folded.size() > text.size()) fuzz::fail("folding made a text longer");
    if (foldForSearch(folded) != folded) fuzz::fail("folding twice changed the text");
    const std::string digits = phoneDigits(text);
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        fuzz::fail("phone digits hold something else");
    if (looksLikePhoneNumber(text) && digits.empty()) fuzz::fail("a phone number without digits");
    if (archiveStoreMessage(text).find('\n') != std::string::npos)
        fuzz::fail("a message of more than one line");

    ConfigImage image;
    std::memcpy(image.data(), data, std::min(size, image.size()));
    const SiteFacts facts = siteFacts(image);
    for (const auto& phone : facts.phoneNumbers)
        if (phone.empty() || phoneDigits(phone) != phone)
            fuzz::fail("a stored phone is not digits");
    return 0;
}
