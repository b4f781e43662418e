#pragma once
// The bundle's string table "SKRWStrings": every text the plug-in gives the
// host by id (function prototypes and descriptions, the host's own strings).
//
// Keys are "SKRW <id>" with the id in decimal. The table is read from the
// bundle of the current call record (SKRWInit.h). A missing key, a
// missing table or a missing bundle reads as "no text"; nothing here reports
// or records an error.
#include <cstdint>

#include "fmx/fmx.h"

// Copies the text of `stringId` into `buffer` followed by one zero unit and
// answers its length in UTF-16 units. Copies only a text shorter than
// `capacity` - 1 units; a longer one, a missing key, a null buffer or a
// capacity below 2 leave the buffer untouched and answer 0 (a found empty
// text writes its zero unit and answers 0 too).
unsigned long Sub_OSXLoadString(unsigned int stringId, char16_t* buffer, std::int64_t capacity);

// The get-string message: the same as Sub_OSXLoadString. `unused` is the
// message's second parameter, which the lookup does not need.
unsigned long Do_GetString(unsigned int stringId, std::uint32_t unused, std::int32_t capacity,
                           char16_t* buffer);

// Overwrites `text` with the text of `stringId` (the empty text when there is
// none or it is longer than 1022 units). With `cut`, keeps only what precedes
// the first "("; a text without "(" stays whole. Host framework failures
// (fmx::Exception) pass to the caller.
void Do_GetString(unsigned int stringId, fmx::TextUniquePtr& text, bool cut);
