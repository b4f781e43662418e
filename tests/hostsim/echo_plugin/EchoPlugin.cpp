// A small plug-in used only by the host tests: its functions echo what the
// host hands them, through both result paths.
//
//   Echo_Utf16(args...)  the argument texts joined by "|", set as UTF-16
//   Echo_Bytes(args...)  the same, fetched as UTF-8 bytes and set as 8-bit
//   Echo_Number(x)       the first argument as a number, as an integer
//   Echo_Count(args...)  the argument count
//   Echo_Version()       the interface version that start-up received
//   Echo_Fail()          "failed", answering host error 7
//   Echo_Throw()         lets an exception out (a faulty plug-in)
//   Echo_PastEnd(args...) reads the argument just past the end
//   step Echo_Utf16      "step:" and the joined texts
//
// Start-up is refused outside interface versions 50..255.
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "fmx/CallRecord.h"
#include "fmx/fmx.h"

namespace {

short g_version = 0;

std::u16string textOf(const fmx::Text& text) {
    std::u16string units(text.GetSize(), u'\0');
    if (!units.empty()) text.GetUnicode(units.data(), 0, static_cast<std::uint32_t>(units.size()));
    return units;
}

std::u16string joined(const fmx::DataVect& args) {
    std::u16string out;
    for (std::uint32_t i = 0; i < args.Size(); ++i) {
        if (i > 0) out += u'|';
        out += textOf(args.AtAsText(i));
    }
    return out;
}

std::string joinedBytes(const fmx::DataVect& args) {
    std::string out;
    for (std::uint32_t i = 0; i < args.Size(); ++i) {
        if (i > 0) out += '|';
        const fmx::Text& text = args.AtAsText(i);
        std::vector<char> buffer(text.GetSize() * 3 + 1);
        const std::uint32_t n =
            text.GetBytes(buffer.data(), static_cast<std::uint32_t>(buffer.size()), 0,
                          text.GetSize(), fmx::Text::kEncodingNative);
        out.append(buffer.data(), n);
    }
    return out;
}

void setUtf16(fmx::Data& result, const std::u16string& units) {
    fmx::TextAutoPtr text;
    text->AssignUnicode(units.c_str());
    result.SetAsText(*text, result.GetLocale(), fmx::Data::kDataTypeText);
}

void setBytes(fmx::Data& result, const std::string& bytes) {
    fmx::TextUniquePtr text;
    fmx::LocaleUniquePtr locale(fmx::Locale::kTypeCurrent);
    text->Assign(bytes.c_str(), fmx::Text::kEncodingNative);
    result.SetAsText(*text, *locale, fmx::Data::kDataTypeText);
}

enum Id : short { kUtf16 = 1, kBytes, kNumber, kCount, kVersion, kFail, kThrow, kPastEnd };

// Every function, told apart by the id it was registered with.
short Echo(short id, const fmx::ExprEnv&, const fmx::DataVect& args, fmx::Data& result) {
    if (id == kThrow) throw std::runtime_error("echo plug-in fault");
    try {
        if (id == kUtf16) setUtf16(result, joined(args));
        if (id == kBytes) setBytes(result, joinedBytes(args));
        if (id == kNumber) setBytes(result, std::to_string(args.AtAsNumber(0).AsLong()));
        if (id == kCount) setBytes(result, std::to_string(args.Size()));
        if (id == kVersion) setBytes(result, std::to_string(g_version));
        if (id == kFail) setBytes(result, "failed");
        if (id == kPastEnd) setUtf16(result, textOf(args.AtAsText(args.Size())));
        return id == kFail ? 7 : 0;
    } catch (const fmx::Exception& e) {
        return e.code();
    }
}

short StepEcho(short, const fmx::ExprEnv&, const fmx::DataVect& args, fmx::Data& result) {
    setUtf16(result, u"step:" + joined(args));
    return 0;
}

struct Function {
    short id;
    const char* name;
    short minArgs;
    short maxArgs;
};

const Function kFunctions[] = {
    {kUtf16, "Echo_Utf16", 0, 20},    {kBytes, "Echo_Bytes", 0, 20},
    {kNumber, "Echo_Number", 1, 1},   {kCount, "Echo_Count", 0, 20},
    {kVersion, "Echo_Version", 0, 0}, {kFail, "Echo_Fail", 0, 0},
    {kThrow, "Echo_Throw", 0, 0},     {kPastEnd, "Echo_PastEnd", 0, 20},
};
constexpr std::uint32_t kFlags = 0xFF01;

fmx::TextUniquePtr textFrom(const char* bytes) {
    fmx::TextUniquePtr text;
    text->Assign(bytes, fmx::Text::kEncodingNative);
    return text;
}

void registerAll(short version) {
    fmx::QuadCharUniquePtr code('E', 'C', 'H', 'O');
    for (const Function& f : kFunctions) {
        const auto name = textFrom(f.name);
        const auto prototype = textFrom((std::string(f.name) + "(args)").c_str());
        const auto description = textFrom((std::string("Echoes for ") + f.name).c_str());
        if (version >= 56) {
            fmx::ExprEnv::RegisterExternalFunctionEx(*code, f.id, *name, *prototype, *description,
                                                     f.minArgs, f.maxArgs, kFlags, Echo);
        } else {
            fmx::ExprEnv::RegisterExternalFunction(*code, f.id, *name, *prototype, f.minArgs,
                                                   f.maxArgs, kFlags, Echo);
        }
        if (version >= 57 && f.id == 1) {
            const auto definition = textFrom("<pluginstep/>");
            fmx::ExprEnv::RegisterScriptStep(*code, f.id, *name, *definition, *description, kFlags,
                                             StepEcho);
        }
    }
}

void unregisterAll(short version) {
    fmx::QuadCharUniquePtr code('E', 'C', 'H', 'O');
    for (const Function& f : kFunctions) fmx::ExprEnv::UnRegisterExternalFunction(*code, f.id);
    if (version >= 57) fmx::ExprEnv::UnRegisterScriptStep(*code, 1);
}

const char16_t* hostString(unsigned id) {
    if (id == 128) return u"Echo Test";
    if (id == 129) return u"Echoes its arguments \u00B6";
    return id == 131 ? u"ECHO1nnYnn" : nullptr;
}

void getString(fmx::CallRecord* record) {
    const char16_t* text = hostString(record->param1);
    const auto capacity = static_cast<std::int32_t>(record->param3 & 0xFFFFFFFFu);
    auto* buffer = reinterpret_cast<char16_t*>(static_cast<std::uintptr_t>(record->result));
    if (text == nullptr || buffer == nullptr) return;
    const std::u16string_view view(text);
    if (static_cast<std::int64_t>(view.size()) + 1 > capacity) return;
    std::memcpy(buffer, view.data(), view.size() * sizeof(char16_t));
    buffer[view.size()] = u'\0';
}

}  // namespace

extern "C" __attribute__((visibility("default"))) void FMExternCallProc(fmx::CallRecord* record) {
    try {
        switch (record->selector) {
            case fmx::CallRecord::kStartup:
                if (record->interfaceVersion < 50 || record->interfaceVersion > 255) {
                    record->result = fmx::CallRecord::kStartupRefused;
                    return;
                }
                g_version = record->interfaceVersion;
                registerAll(g_version);
                record->result = fmx::CallRecord::kStartupAccepted;
                return;
            case fmx::CallRecord::kShutdown:
                unregisterAll(record->interfaceVersion);
                return;
            case fmx::CallRecord::kGetString:
                getString(record);
                return;
            default:
                return;
        }
    } catch (...) {
        // A host framework failure: the message ends here.
    }
}
