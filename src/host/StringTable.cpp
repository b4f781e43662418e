#include "host/StringTable.h"

#include <algorithm>
#include <string>

#include "host/SKRWInit.h"
#include "platform/String.h"

namespace {

constexpr const char* kTableName = "SKRWStrings";
// Room for 1022 units, the terminating zero and the one unit the copy rule
// keeps free.
constexpr std::int32_t kLocalBufferUnits = 1024;

skrw::platform::String keyFor(unsigned int stringId) {
    // The key carries the id as a signed decimal ("SKRW %d"); ids come from
    // one byte of the record or from the function table, so they fit.
    return skrw::platform::String::fromUtf8("SKRW " + std::to_string(static_cast<int>(stringId)));
}

}  // namespace

unsigned long Sub_OSXLoadString(unsigned int stringId, char16_t* buffer, std::int64_t capacity) {
    if (buffer == nullptr || capacity < 2) return 0;

    const skrw::platform::String key = keyFor(stringId);
    const skrw::platform::String found = skrw::platform::copyLocalizedString(
        skrw::host::currentBundle(), key, key, skrw::platform::String::fromUtf8(kTableName));
    // The lookup hands the key back when the key or the table is missing.
    if (found.isNull() || found == key) return 0;

    const std::u16string units = found.utf16();
    const auto length = static_cast<std::int64_t>(units.size());
    // A text must leave room for its zero unit and one unit more.
    if (length >= capacity - 1) return 0;
    std::copy(units.begin(), units.end(), buffer);
    buffer[units.size()] = u'\0';
    return static_cast<unsigned long>(units.size());
}

unsigned long Do_GetString(unsigned int stringId, std::uint32_t /*unused*/, std::int32_t capacity,
                           char16_t* buffer) {
    return Sub_OSXLoadString(stringId, buffer, capacity);
}

void Do_GetString(unsigned int stringId, fmx::TextUniquePtr& text, bool cut) {
    char16_t buffer[kLocalBufferUnits] = {};
    Do_GetString(stringId, 0, kLocalBufferUnits, buffer);
    text->AssignUnicode(buffer);
    if (!cut) return;

    fmx::TextUniquePtr parenthesis;
    parenthesis->Assign("(", fmx::Text::kEncodingNative);
    const std::uint32_t size = text->GetSize();
    const std::int32_t position = text->Find(*parenthesis, 0);
    // A text without "(" is a name on its own and stays whole.
    if (position == fmx::Text::kNotFound || position < 0) return;
    const auto start = static_cast<std::uint32_t>(position);
    text->DeleteText(start, size - start);
}
