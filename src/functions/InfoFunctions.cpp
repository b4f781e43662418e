// The script functions that call no storage service: the version, the last error and the
// debug answer.
#include <cstdint>
#include <string>

#include "functions/FunctionTable.h"
#include "functions/PluginFunctions.h"
#include "functions/ScriptFrame.h"
#include "functions/VersionLog.h"
#include "storage/SKFuncs.h"

using skrw::functions::answeredGuarded;
using skrw::functions::returnUtf16Result;
using skrw::functions::runScriptFunction;
using skrw::functions::storageObject;
using skrw::functions::textArgument;

namespace {

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
bool asksForFullError(const platform::String& selector) {
    if (selector.isEmpty()) return true;
    const platform::String lower = selector.lowercaseString();
    return lower == platform::String::fromUtf8("text") || lower == platform::String::fromUtf8("1");
}

}  // namespace

short SKRW_Version(short, const fmx::ExprEnv&, const fmx::DataVect& args, fmx::Data& result) {
    return answeredGuarded([&] {
        skrw::functions::logVersionEntry();
        const VersionForm form = requestedVersionForm(args);
        if (form == VersionForm::kBadLetter) {
            if (SKFuncs* storage = storageObject()) {
                storage->SetError(platform::String::fromUtf8("Invalid parameter specified"),
                                  platform::String::fromUtf8("-4"),
                                  platform::String::fromUtf8("SKRW_Version"));
            }
            returnStringResult(skrw::functions::kErrorAnswer, result);
            return;
        }
        const char* answer = form == VersionForm::kLong ? kLongVersion : kShortVersion;
        skrw::functions::logVersionAnswer(answer);
        returnStringResult(answer, result);
    });
}

short SKRW_GetLastError(short, const fmx::ExprEnv&, const fmx::DataVect& args, fmx::Data& result) {
    return runScriptFunction(
        kSKRW_GetLastErrorId, args, result, [&](std::uint32_t count, fmx::Text& text) {
            SKFuncs* storage = storageObject();
            if (storage == nullptr) {
                skrw::functions::returnSucceeded(false, result);
                return;
            }
            const bool full = count == 0 || asksForFullError(textArgument(args, count, 0));
            const platform::String answer =
                full ? storage->getLastError() : storage->getLastErrorCode();
            returnUtf16Result(answer, text, result);
        });
}

short SKRW_Debug(short, const fmx::ExprEnv&, const fmx::DataVect&, fmx::Data& result) {
    return answeredGuarded([&] {
        fmx::TextAutoPtr text;
        returnUtf16Result(platform::String::fromUtf8(skrw::functions::kDoneAnswer), *text, result);
    });
}
