#include "functions/PluginFunctions.h"

#include "functions/ScriptFrame.h"
#include "platform/String.h"

SKFuncs* m_objFuncs = nullptr;
PluginLogger* m_pl = nullptr;

void returnStringResult(const char* text, fmx::Data& result) {
    fmx::TextUniquePtr hostText;
    fmx::LocaleUniquePtr locale(fmx::Locale::kTypeCurrent);
    hostText->Assign(text != nullptr ? text : "", fmx::Text::kEncodingNative);
    result.SetAsText(*hostText, *locale, fmx::Data::kDataTypeText);
    // The locale is released before the text (reverse order of the holders).
}

bool BoolFromDV(const fmx::DataVect& args, int index) {
    const std::uint32_t count = args.Size();
    if (count <= static_cast<std::uint32_t>(index)) return false;
    const skrw::platform::String value =
        skrw::functions::textArgument(args, count, static_cast<std::uint32_t>(index));
    if (value.length() == 0) return false;
    const skrw::platform::String upper = value.uppercaseString();
    for (const char* yes : {"TRUE", "1", "YES", "ON", "Y"}) {
        if (upper == skrw::platform::String::fromUtf8(yes)) return true;
    }
    return false;
}
