#include "archive/archive_export.hpp"

#include "common/file_io.hpp"
#include "config/config_file.hpp"
#include "config/messages.hpp"

namespace qv {

SaveResult exportStoredImage(const ConfigImage& image, const std::string& path,
                             ConfigDocument& scratch) {
    if (savesAsBinary(splitPath(path).name)) {
        SaveResult r;
        if (const auto failed = writeFileAtomic(path, encodeBinaryFile(image))) {
            r.messages.push_back(
                {UserMessage::Icon::Error, std::string(msg::kSaveError) + " (" + *failed + ")"});
            return r;
        }
        r.saved = true;
        r.messages.push_back({UserMessage::Icon::Information, msg::kSaved});
        return r;
    }
    SaveResult r;
    for (auto& m : scratch.takeReadImage(image))
        r.messages.push_back(std::move(m));
    SaveResult saved = scratch.saveFile(path);
    r.saved = saved.saved;
    for (auto& m : saved.messages)
        r.messages.push_back(std::move(m));
    return r;
}

} // namespace qv
