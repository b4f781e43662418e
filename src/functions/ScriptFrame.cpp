#include "functions/ScriptFrame.h"

#include <string>
#include <vector>

#include "functions/FunctionTable.h"
#include "functions/PluginFunctions.h"

namespace skrw::functions {

bool countWithin(std::uint32_t count, short least, short most) {
    return count >= static_cast<std::uint32_t>(least) && count <= static_cast<std::uint32_t>(most);
}

bool countAccepted(std::uint32_t count, short functionId) {
    const ScriptFunctionEntry* entry = FindScriptFunction(functionId);
    return entry != nullptr && countWithin(count, entry->least, entry->most);
}

void answerCountFailure(fmx::Text& text, fmx::Data& result) {
    text.Assign(kErrorAnswer, fmx::Text::kEncodingNative);
    result.SetAsText(text, result.GetLocale(), fmx::Data::kDataTypeText);
}

platform::String textArgument(const fmx::DataVect& args, std::uint32_t count, std::uint32_t index) {
    if (count <= index) return platform::String::null();
    const fmx::Text& text = args.AtAsText(index);
    const std::uint32_t size = text.GetSize();
    if (size == 0) return platform::String::fromUtf8("");
    std::vector<char16_t> units(static_cast<std::size_t>(size) + 1, u'\0');
    text.GetUnicode(units.data(), 0, size);
    return platform::String::fromUtf16(units.data(), size);
}

void returnUtf16Result(const platform::String& answer, fmx::Text& text, fmx::Data& result) {
    const std::u16string units = answer.utf16();  // c_str() ends in a zero unit
    text.AssignUnicode(units.c_str());
    result.SetAsText(text, result.GetLocale(), fmx::Data::kDataTypeText);
}

void returnStringAnswer(const platform::String& answer, fmx::Data& result) {
    returnStringResult(answer.utf8().c_str(), result);
}

void returnSucceeded(bool succeeded, fmx::Data& result) {
    returnStringResult(succeeded ? kDoneAnswer : kErrorAnswer, result);
}

SKFuncs* storageObject() noexcept {
    return m_objFuncs;
}

}  // namespace skrw::functions
