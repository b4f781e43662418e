#include "hostsim/HostValues.h"

#include <utility>

#include "hostsim/Encoding.h"
#include "hostsim/Numbers.h"

namespace skrw::hostsim {

Arguments& Arguments::text(std::u16string units) {
    HostArgument argument;
    argument.number.value = textAsNumber(units);
    argument.text.units = std::move(units);
    argument.text.origin = TextOrigin::Utf16;
    m_vect.items.push_back(std::move(argument));
    return *this;
}

Arguments& Arguments::textUtf8(std::string_view utf8) {
    return text(utf16FromUtf8(utf8));
}

Arguments& Arguments::number(long double value) {
    HostArgument argument;
    argument.number.value = value;
    argument.text.units = numberAsText(value);
    argument.text.origin = TextOrigin::Utf16;
    m_vect.items.push_back(std::move(argument));
    return *this;
}

std::string Result::textUtf8() const {
    return utf8FromUtf16(m_data.text.units);
}

const fmx::ExprEnv& environment() {
    static const HostExprEnv env;
    return *opaque(&env);
}

short invoke(ExtPluginType callback, short id, const Arguments& args, Result& result) {
    return callback(id, environment(), args.vect(), result.data());
}

std::u16string unitsOf(const fmx::Text& text) {
    return host(&text)->units;
}

TextOrigin originOf(const fmx::Text& text) {
    return host(&text)->origin;
}

}  // namespace skrw::hostsim
