// A plug-in for the host tests. Its functions, told apart by id:
//   1 Echo_Utf16(args...)   the argument texts joined by "|", set as UTF-16 (also a step:
//   "step:"...) 2 Echo_Bytes(args...)   the same, read with GetBytes and set as 8-bit UTF-8 3
//   Echo_Number(x)        the first argument as an integer 4 Echo_Version()        the interface
//   version start-up received 5 Echo_Fail()           "failed", answering host error 7 6
//   Echo_Throw()          lets an exception out 7 Echo_PastEnd(args...) reads the argument just
//   past the end
// Start-up is refused outside interface versions 50..255.
#include <cstring>
#include <stdexcept>
#include <string>

#include "fmx/CallRecord.h"
#include "fmx/fmx.h"

namespace {

short g_version = 0;
const char* const kNames[] = {
    "",          "Echo_Utf16", "Echo_Bytes",  "Echo_Number", "Echo_Version",
    "Echo_Fail", "Echo_Throw", "Echo_PastEnd"};

std::u16string units(const fmx::Text& text) {
    std::u16string out(text.GetSize(), u'\0');
    if (!out.empty()) text.GetUnicode(out.data(), 0, text.GetSize());
    return out;
}

std::u16string joinedUnits(const fmx::DataVect& args) {
    std::u16string out;
    for (std::uint32_t i = 0; i < args.Size(); ++i) {
        if (i > 0) out += u'|';
        out += units(args.AtAsText(i));
    }
    return out;
}

std::string joinedBytes(const fmx::DataVect& args) {
    std::string out;
    for (std::uint32_t i = 0; i < args.Size(); ++i) {
        const fmx::Text& text = args.AtAsText(i);
        std::string buffer(text.GetSize() * 3 + 1, '\0');
        buffer.resize(text.GetBytes(buffer.data(), buffer.size(), 0, text.GetSize()));
        out += (i > 0 ? "|" : "") + buffer;
    }
    return out;
}

void set(fmx::Data& result, const std::string& utf8) {
    fmx::TextUniquePtr text;
    fmx::LocaleUniquePtr locale(fmx::Locale::kTypeCurrent);
    text->Assign(utf8.c_str(), fmx::Text::kEncodingNative);
    result.SetAsText(*text, *locale, fmx::Data::kDataTypeText);
}

void set(fmx::Data& result, const std::u16string& units) {
    fmx::TextAutoPtr text;
    text->AssignUnicode(units.c_str());
    result.SetAsText(*text, result.GetLocale(), fmx::Data::kDataTypeText);
}

short Echo(short id, const fmx::ExprEnv&, const fmx::DataVect& args, fmx::Data& result) {
    if (id == 6) throw std::runtime_error("echo plug-in fault");
    try {
        if (id == 1) set(result, joinedUnits(args));
        if (id == 2) set(result, joinedBytes(args));
        if (id == 3) set(result, std::to_string(args.AtAsNumber(0).AsLong()));
        if (id == 4) set(result, std::to_string(g_version));
        if (id == 5) set(result, std::string("failed"));
        if (id == 7) args.AtAsText(args.Size());
        return id == 5 ? 7 : 0;
    } catch (const fmx::Exception& e) {
        return e.code();
    }
}

short Step(short, const fmx::ExprEnv&, const fmx::DataVect& args, fmx::Data& result) {
    set(result, u"step:" + joinedUnits(args));
    return 0;
}

fmx::TextUniquePtr text(const std::string& utf8) {
    fmx::TextUniquePtr out;
    out->Assign(utf8.c_str());
    return out;
}

void registerAll(short version) {
    fmx::QuadCharUniquePtr code('E', 'C', 'H', 'O');
    for (short id = 1; id <= 7; ++id) {
        const auto name = text(kNames[id]), prototype = text(kNames[id] + std::string("(args)"));
        const auto description = text(std::string("Echoes for ") + kNames[id]);
        if (version >= 56) {
            fmx::ExprEnv::RegisterExternalFunctionEx(*code, id, *name, *prototype, *description, 0,
                                                     20, 0xFF01, Echo);
        } else {
            fmx::ExprEnv::RegisterExternalFunction(*code, id, *name, *prototype, 0, 20, 0xFF01,
                                                   Echo);
        }
    }
    if (version >= 57) {
        fmx::ExprEnv::RegisterScriptStep(*code, 1, *text(kNames[1]), *text("<pluginstep/>"),
                                         *text("Echoes for Echo_Utf16"), 0xFF01, Step);
    }
}

void getString(fmx::CallRecord* record) {
    const std::u16string text = record->param1 == 128 ? u"Echo Test" : u"Echoes \u00B6";
    auto* buffer = reinterpret_cast<char16_t*>(static_cast<std::uintptr_t>(record->result));
    if (buffer != nullptr && static_cast<std::int32_t>(record->param3) > 12)
        std::memcpy(buffer, text.c_str(), (text.size() + 1) * sizeof(char16_t));
}

}  // namespace

extern "C" __attribute__((visibility("default"))) void FMExternCallProc(fmx::CallRecord* record) {
    try {
        if (record->selector == fmx::CallRecord::kGetString) getString(record);
        if (record->selector == fmx::CallRecord::kShutdown) {
            fmx::QuadCharUniquePtr code('E', 'C', 'H', 'O');
            for (short id = 1; id <= 7; ++id) fmx::ExprEnv::UnRegisterExternalFunction(*code, id);
            fmx::ExprEnv::UnRegisterScriptStep(*code, 1);
        }
        if (record->selector != fmx::CallRecord::kStartup) return;
        const bool accepted = record->interfaceVersion >= 50 && record->interfaceVersion <= 255;
        record->result =
            accepted ? fmx::CallRecord::kStartupAccepted : fmx::CallRecord::kStartupRefused;
        if (accepted) registerAll(g_version = record->interfaceVersion);
    } catch (...) {
        // A host framework failure: the message ends here.
    }
}
