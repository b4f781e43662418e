// A plug-in for the host tests, refusing start-up outside interface versions 50..255. Function and
// step 1 Echo_Utf16 answers its arguments joined by "|" as UTF-16; by 8-bit text 2 Echo_Number the
// first as an integer, 3 Echo_Version the start-up's interface version, 4 Echo_Fail "failed" with
// host error 7; 5 Echo_Throw lets an exception out.
#include <stdexcept>
#include <string>

#include "fmx/CallRecord.h"
#include "fmx/fmx.h"

namespace {

short g_version = 0;

fmx::TextUniquePtr text(const std::string& utf8) {
    fmx::TextUniquePtr out;
    out->Assign(utf8.c_str(), fmx::Text::kEncodingNative);
    return out;
}

void set(fmx::Data& result, const std::string& utf8) {
    result.SetAsText(*text(utf8), *fmx::LocaleUniquePtr(), fmx::Data::kDataTypeText);
}

short Echo(short id, const fmx::ExprEnv&, const fmx::DataVect& args, fmx::Data& result) {
    if (id == 1) {
        std::u16string joined;
        for (std::uint32_t i = 0; i < args.Size(); ++i) {
            const fmx::Text& text = args.AtAsText(i);
            std::u16string units(text.GetSize(), u'\0');
            if (!units.empty()) text.GetUnicode(units.data(), 0, text.GetSize());
            joined += (i > 0 ? u"|" : u"") + units;
        }
        fmx::TextAutoPtr answer;
        answer->AssignUnicode(joined.c_str());
        result.SetAsText(*answer, result.GetLocale(), fmx::Data::kDataTypeText);
    }
    if (id == 2) set(result, std::to_string(args.AtAsNumber(0).AsLong()));
    if (id == 3) set(result, std::to_string(g_version));
    if (id == 4) set(result, "failed");
    if (id == 5) throw std::runtime_error("echo plug-in fault");
    return id == 4 ? 7 : 0;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) void FMExternCallProc(fmx::CallRecord* record) {
    const char* const names[] = {"",          "Echo_Utf16", "Echo_Number", "Echo_Version",
                                 "Echo_Fail", "Echo_Throw"};
    try {
        fmx::QuadCharUniquePtr code('E', 'C', 'H', 'O');
        if (record->selector == fmx::CallRecord::kGetString && record->result != 0) {
            const std::u16string text = record->param1 == 128 ? u"Echo Test" : u"Echoes \u00B6";
            std::char_traits<char16_t>::copy(reinterpret_cast<char16_t*>(record->result),
                                             text.c_str(), text.size() + 1);
        }
        if (record->selector == fmx::CallRecord::kShutdown) {
            for (short id = 1; id <= 5; ++id) fmx::ExprEnv::UnRegisterExternalFunction(*code, id);
            fmx::ExprEnv::UnRegisterScriptStep(*code, 1);
        }
        if (record->selector != fmx::CallRecord::kStartup) return;
        g_version = record->interfaceVersion;
        const bool accepted = g_version >= 50 && g_version <= 255;
        record->result =
            accepted ? fmx::CallRecord::kStartupAccepted : fmx::CallRecord::kStartupRefused;
        for (short id = 1; accepted && id <= 5; ++id) {
            const auto name = text(names[id]), prototype = text(names[id] + std::string("(args)"));
            const auto description = text(std::string("Echoes for ") + names[id]);
            if (g_version >= 56) {
                fmx::ExprEnv::RegisterExternalFunctionEx(*code, id, *name, *prototype, *description,
                                                         0, 20, 0xFF01, Echo);
            } else {
                fmx::ExprEnv::RegisterExternalFunction(*code, id, *name, *prototype, 0, 20, 0xFF01,
                                                       Echo);
            }
            if (g_version >= 57 && id == 1) {
                fmx::ExprEnv::RegisterScriptStep(*code, 1, *name, *text("<pluginstep/>"),
                                                 *description, 0xFF01, Echo);
            }
        }
    } catch (...) {
        // A host framework failure: the message ends here.
    }
}
