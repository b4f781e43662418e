#include "ScriptCall.h"

namespace skrw::test {

hostsim::Arguments texts(std::initializer_list<std::string_view> values) {
    hostsim::Arguments args;
    for (std::string_view value : values) args.textUtf8(value);
    return args;
}

Answer call(ExtPluginType callback, short id, const hostsim::Arguments& args) {
    hostsim::Result result;
    hostsim::host(&result.data())->locale.type = kOwnLocaleType;
    Answer answer;
    answer.hostError = hostsim::invoke(callback, id, args, result);
    answer.set = result.isSet();
    answer.text = result.textUtf8();
    answer.units = result.text();
    answer.origin = result.origin();
    answer.localeType = result.localeType();
    answer.dataType = result.dataType();
    return answer;
}

Answer call(ExtPluginType callback, short id, std::initializer_list<std::string_view> values) {
    return call(callback, id, texts(values));
}

}  // namespace skrw::test
