#pragma once
// The storage object's error record as tests read it.
#include <string>

#include "platform/String.h"

namespace skrw::test {

// The three fields of an error record's text "MESSAGE: m\nCODE: c\nSOURCE: s".
struct ErrorRecord {
    std::string message, code, source;

    // "m|c|s", the form in which test tables write an expected record.
    std::string joined() const { return message + "|" + code + "|" + source; }
};

// The fields of the record text `record`. A text of another form is read as all message, with
// no code and no source.
ErrorRecord readErrorRecord(const platform::String& record);

}  // namespace skrw::test
