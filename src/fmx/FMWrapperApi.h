#pragma once
// The C operations of the host framework (FMWrapper).
//
// The plug-in declares these operations and never defines them: the host
// process that loads the plug-in provides them (on this machine the shared
// library FMWrapper, linked into `pluginhost` and the tests). They are
// declared weak, so the plug-in still loads in a process that lacks them; the
// C++ wrappers in "fmx/fmx.h" check for a missing operation and raise a
// general failure instead of calling a null address. Plug-in code should use
// those wrappers, not these operations directly.
//
// Conventions shared by every operation:
// - The last argument is the error slot. The caller prepares it before each
//   call as {1, 0}; the host writes the code: 0 success, 1 out of memory,
//   2 general failure (bad argument, index past the end, unknown encoding...).
//   When the code is non-zero the operation changed nothing and its answer is
//   0 / null (-1 for FM_Text_Find).
// - Host objects (texts, locales, numbers, values, vectors, four-character
//   codes) are opaque: the plug-in only holds pointers the host gave it.
// - Texts hold UTF-16 units; sizes, positions and counts are in units.
// - Encoding codes for 8-bit texts (Assign, GetBytes):
//     0  the host's native encoding, which is UTF-8 here;
//     1  UTF-8 (the same conversion as 0);
//     4  ISO-8859-1 (Latin-1): one byte per character U+0000..U+00FF.
//   Any other code is a general failure. Converting to 8 bits, a character
//   that has no form in the encoding becomes "?"; an unpaired surrogate
//   becomes U+FFFD in UTF-8. Converting from UTF-8, an invalid sequence
//   becomes U+FFFD.
// - Locale types: 1 is the host's current locale; other types are accepted
//   and kept as given.
// - Data types for FM_Data_SetAsText: only 1 (text) is supported; any other
//   type is a general failure.
#include <cstdint>

namespace fmx {
class Text;
class Data;
class DataVect;
class ExprEnv;
class Locale;
class QuadChar;
class FixPt;
}  // namespace fmx

// A script function as the host calls it: the id it was registered under,
// the calculation environment, the arguments and the value to fill. The
// answer is the host error code (0 for success).
typedef short (*ExtPluginType)(short functionId, const fmx::ExprEnv& env,
                               const fmx::DataVect& parms, fmx::Data& result);

extern "C" {

// The two-word error slot: `armed` is 1 when the caller hands it over, `code`
// is written by the host (0, 1 or 2, see above).
struct FM_ErrorSlot {
    std::int32_t armed;
    std::int32_t code;
};

}  // extern "C"

// Plug-in side: weak, default-visibility declarations. The host library
// defines FMX_HOST_IMPLEMENTATION before including this header so that its
// definitions are ordinary exported symbols.
#ifdef FMX_HOST_IMPLEMENTATION
#define FMX_OPERATION __attribute__((visibility("default")))
#else
#define FMX_OPERATION __attribute__((weak, visibility("default")))
#endif

extern "C" {

// ---- Registration (the answer is the host's error code: 0 accepted) ----
// Registers a calculation function under (pluginId, functionId). `name` is
// what calculations call, `prototype` and `description` are shown to users;
// `minArgs`, `maxArgs` and `flags` are recorded as given (this host does not
// enforce the bounds: the function checks its own argument count). The host
// copies every text; a null name or prototype is a general failure.
FMX_OPERATION std::int16_t FM_ExprEnv_RegisterExternalFunctionEx(
    const fmx::QuadChar* pluginId, std::int16_t functionId, const fmx::Text* name,
    const fmx::Text* prototype, const fmx::Text* description, std::int16_t minArgs,
    std::int16_t maxArgs, std::uint32_t flags, ExtPluginType callback, FM_ErrorSlot* err);
// The same without a description.
FMX_OPERATION std::int16_t FM_ExprEnv_RegisterExternalFunction(
    const fmx::QuadChar* pluginId, std::int16_t functionId, const fmx::Text* name,
    const fmx::Text* prototype, std::int16_t minArgs, std::int16_t maxArgs, std::uint32_t flags,
    ExtPluginType callback, FM_ErrorSlot* err);
// Registers a script step; `definition` is its parameter definition (XML).
FMX_OPERATION std::int16_t FM_ExprEnv_RegisterScriptStep(const fmx::QuadChar* pluginId,
                                                         std::int16_t stepId, const fmx::Text* name,
                                                         const fmx::Text* definition,
                                                         const fmx::Text* description,
                                                         std::uint32_t flags,
                                                         ExtPluginType callback, FM_ErrorSlot* err);
// Removes a registration; unregistering an id that is not registered is not
// an error.
FMX_OPERATION std::int16_t FM_ExprEnv_UnRegisterExternalFunction(const fmx::QuadChar* pluginId,
                                                                 std::int16_t functionId,
                                                                 FM_ErrorSlot* err);
FMX_OPERATION std::int16_t FM_ExprEnv_UnRegisterScriptStep(const fmx::QuadChar* pluginId,
                                                           std::int16_t stepId, FM_ErrorSlot* err);

// ---- Arguments ----
// The argument count.
FMX_OPERATION std::uint32_t FM_DataVect_Size(const fmx::DataVect* vect, FM_ErrorSlot* err);
// Argument `index` as a text / as a number. The object stays the host's and
// lives as long as the vector. An index past the end is a general failure.
FMX_OPERATION const fmx::Text* FM_DataVect_AtAsText(const fmx::DataVect* vect, std::uint32_t index,
                                                    FM_ErrorSlot* err);
FMX_OPERATION const fmx::FixPt* FM_DataVect_AtAsNumber(const fmx::DataVect* vect,
                                                       std::uint32_t index, FM_ErrorSlot* err);
// A number as an integer: truncated toward zero, saturating at the ends of
// the signed 64-bit range.
FMX_OPERATION std::int64_t FM_FixPt_AsLong(const fmx::FixPt* number, FM_ErrorSlot* err);

// ---- Results ----
// The value's own locale (the host's; lives as long as the value).
FMX_OPERATION const fmx::Locale* FM_Data_GetLocale(const fmx::Data* data, FM_ErrorSlot* err);
// The value takes a copy of `text` (its units and how it was assigned), the
// type of `locale` and `dataType` (1, text). The caller keeps its text.
FMX_OPERATION void FM_Data_SetAsText(fmx::Data* data, const fmx::Text* text,
                                     const fmx::Locale* locale, std::int32_t dataType,
                                     FM_ErrorSlot* err);

// ---- Texts ----
// Replaces the text by the zero-terminated 8-bit `bytes` in `encoding`.
FMX_OPERATION void FM_Text_Assign(fmx::Text* text, const char* bytes, std::int32_t encoding,
                                  FM_ErrorSlot* err);
// Replaces the text by the zero-terminated UTF-16 `units`.
FMX_OPERATION void FM_Text_AssignUnicode(fmx::Text* text, const char16_t* units, FM_ErrorSlot* err);
// The length in UTF-16 units.
FMX_OPERATION std::uint32_t FM_Text_GetSize(const fmx::Text* text, FM_ErrorSlot* err);
// Copies `count` units from `position` into `buffer` (no terminator is
// added). A stretch reaching past the end is a general failure.
FMX_OPERATION void FM_Text_GetUnicode(const fmx::Text* text, char16_t* buffer,
                                      std::uint32_t position, std::uint32_t count,
                                      FM_ErrorSlot* err);
// Converts the stretch (position, count; the count is cut at the end of the
// text) to `encoding` and writes as many whole characters as fit in
// `bufferSize` - 1 bytes, then a zero byte. Answers the number of bytes
// written before the zero byte. `bufferSize` 0 writes nothing. A position
// past the end is a general failure.
FMX_OPERATION std::uint32_t FM_Text_GetBytes(const fmx::Text* text, char* buffer,
                                             std::uint32_t bufferSize, std::uint32_t position,
                                             std::uint32_t count, std::int32_t encoding,
                                             FM_ErrorSlot* err);
// `target` becomes the stretch (position, count) of `source` (the count is
// cut at the end of the source); it also takes over how `source` was
// assigned. A position past the end of the source is a general failure.
FMX_OPERATION void FM_Text_SetText(fmx::Text* target, const fmx::Text* source,
                                   std::uint32_t position, std::uint32_t count, FM_ErrorSlot* err);
// The position of the first occurrence of `pattern` at or after `start`, or
// -1 when there is none (also for a start past the end). An empty pattern is
// found at `start` when start <= size.
FMX_OPERATION std::int32_t FM_Text_Find(const fmx::Text* text, const fmx::Text* pattern,
                                        std::uint32_t start, FM_ErrorSlot* err);
// Removes `count` units from `position` (the count is cut at the end). A
// position past the end is a general failure and removes nothing.
FMX_OPERATION void FM_Text_DeleteText(fmx::Text* text, std::uint32_t position, std::uint32_t count,
                                      FM_ErrorSlot* err);

// ---- Constructors and deleters ----
// A new empty text; assigned as 8-bit until something else is assigned.
FMX_OPERATION fmx::Text* FM_Text_Constructor1(FM_ErrorSlot* err);
FMX_OPERATION void FM_Text_Delete(fmx::Text* text, FM_ErrorSlot* err);
// A new locale of the given type.
FMX_OPERATION fmx::Locale* FM_Locale_Constructor1(std::int32_t localeType, FM_ErrorSlot* err);
FMX_OPERATION void FM_Locale_Delete(fmx::Locale* locale, FM_ErrorSlot* err);
// A new four-character code from four characters (e.g. 'S','K','R','W').
FMX_OPERATION fmx::QuadChar* FM_QuadChar_Constructor2(char c0, char c1, char c2, char c3,
                                                      FM_ErrorSlot* err);
FMX_OPERATION void FM_QuadChar_Delete(fmx::QuadChar* code, FM_ErrorSlot* err);

}  // extern "C"
