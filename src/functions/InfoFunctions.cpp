// The script functions that call no storage service: the version, the last error and the
// debug answer.
#include <cstdint>
#include <string>

#include "functions/FunctionTable.h"
#include "functions/PluginFunctions.h"
#include "functions/ScriptFrame.h"
#include "log/PluginLogger.h"
#include "storage/SKFuncs.h"

using namespace skrw::functions;

namespace {

constexpr const char* kVersionFunctionName = "SKRW_Version";
constexpr const char* kLongVersion = "Skerrow " SKRW_VERSION;
constexpr const char* kShortVersion = SKRW_VERSION;

enum class VersionForm { kLong, kShort, kBadLetter };

// The form the argument asks for. Only the first byte of the argument's Latin-1 form counts;
// no argument, more than one, or an empty one asks for the long form.
VersionForm requestedVersionForm(const fmx::DataVect& args) {
    if (args.Size() != 1) return VersionForm::kLong;
    const fmx::Text& argument = args.AtAsText(0);
    const std::uint32_t size = argument.GetSize();
    if (size == 0) return VersionForm::kLong;
    fmx::TextUniquePtr copy;
    copy->SetText(argument, 0, size);
    char bytes[5] = {};
    copy->GetBytes(bytes, sizeof bytes, 0, size, fmx::Text::kEncodingLatin1);
    switch (bytes[0]) {
        case 'L':
        case 'l':
            return VersionForm::kLong;
        case 'S':
        case 's':
            return VersionForm::kShort;
        default:
            return VersionForm::kBadLetter;
    }
}

// The empty text, "text" and "1" (any case) ask SKRW_GetLastError for the full text; anything
// else for the code alone.
bool asksForFullError(const skrw::platform::String& selector) {
    if (selector.isEmpty()) return true;
    const skrw::platform::String lower = selector.lowercaseString();
    return lower == skrw::platform::String::fromUtf8("text") ||
           lower == skrw::platform::String::fromUtf8("1");
}

// SKRW_Version's log lines, written only while a logger exists (m_pl set): the entry, one level
// deeper afterwards; then "Returning " and the answer and the exit, one level up again.
void logVersionEntry() {
    if (m_pl != nullptr) m_pl->EnteringFunction(kVersionFunctionName);
}

void logVersionAnswer(const std::string& answer) {
    if (m_pl != nullptr) m_pl->WriteLine("Returning " + answer);
    if (m_pl != nullptr) m_pl->ExitingFunction(kVersionFunctionName);
}

}  // namespace

short SKRW_Version(short, const fmx::ExprEnv&, const fmx::DataVect& args, fmx::Data& result) {
    return answeredGuarded([&] {
        logVersionEntry();
        const VersionForm form = requestedVersionForm(args);
        if (form == VersionForm::kBadLetter) {
            if (SKFuncs* storage = storageObject()) {
                storage->SetError(skrw::platform::String::fromUtf8("Invalid parameter specified"),
                                  skrw::platform::String::fromUtf8(skrw::storage::kBadArgumentCode),
                                  skrw::platform::String::fromUtf8(kVersionFunctionName));
            }
            returnStringResult(kErrorAnswer, result);
            return;
        }
        const char* answer = form == VersionForm::kLong ? kLongVersion : kShortVersion;
        logVersionAnswer(answer);
        returnStringResult(answer, result);
    });
}

short SKRW_GetLastError(short, const fmx::ExprEnv&, const fmx::DataVect& args, fmx::Data& result) {
    return runScriptFunction(
        kSKRW_GetLastErrorId, args, result, [&](std::uint32_t count, fmx::Text& text) {
            SKFuncs* storage = storageObject();
            if (storage == nullptr) {
                returnSucceeded(false, result);
                return;
            }
            const bool full = count == 0 || asksForFullError(textArgument(args, count, 0));
            const skrw::platform::String answer =
                full ? storage->getLastError() : storage->getLastErrorCode();
            returnUtf16Result(answer, text, result);
        });
}

short SKRW_Debug(short, const fmx::ExprEnv&, const fmx::DataVect&, fmx::Data& result) {
    return answeredGuarded([&] {
        fmx::TextAutoPtr text;
        returnUtf16Result(skrw::platform::String::fromUtf8(kDoneAnswer), *text, result);
    });
}
