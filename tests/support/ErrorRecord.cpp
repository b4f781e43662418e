#include "ErrorRecord.h"

namespace skrw::test {

ErrorRecord readErrorRecord(const platform::String& record) {
    const std::string text = record.utf8();
    const std::string message = "MESSAGE: ", code = "\nCODE: ", source = "\nSOURCE: ";
    // The code and the source hold no line feed; a message may.
    const std::size_t sourceAt = text.rfind(source);
    const std::size_t codeAt =
        sourceAt == std::string::npos ? sourceAt : text.rfind(code, sourceAt);
    if (!text.starts_with(message) || codeAt == std::string::npos) return {text, "", ""};
    return {text.substr(message.size(), codeAt - message.size()),
            text.substr(codeAt + code.size(), sourceAt - codeAt - code.size()),
            text.substr(sourceAt + source.size())};
}

}  // namespace skrw::test
