#include "hostsim/HostReport.h"

#include "hostsim/Json.h"

namespace skrw::hostsim {
namespace {

void field(std::string& line, const char* key, const std::string& jsonValue) {
    line += line.size() > 1 ? ", \"" : "\"";
    line += key;
    line += "\": ";
    line += jsonValue;
}

}  // namespace

std::string hostStringLine(int id, const std::u16string& text) {
    std::string line = "{";
    field(line, "kind", "\"string\"");
    field(line, "id", std::to_string(id));
    field(line, "text", jsonString(text));
    return line + "}";
}

std::string registrationLine(const RegistryEntry& e) {
    using Kind = RegistryEntry::Kind;
    if (e.kind != Kind::Function && e.kind != Kind::Step) return {};
    std::string line = "{";
    field(line, "kind", e.kind == Kind::Function ? "\"function\"" : "\"step\"");
    field(line, "id", std::to_string(e.id));
    field(line, "name", jsonString(e.name));
    if (e.prototype) field(line, "prototype", jsonString(*e.prototype));
    if (e.description) field(line, "description", jsonString(*e.description));
    if (e.minArgs) field(line, "min", std::to_string(*e.minArgs));
    if (e.maxArgs) field(line, "max", std::to_string(*e.maxArgs));
    if (e.flags) field(line, "flags", std::to_string(*e.flags));
    if (e.definition) field(line, "definition", jsonString(*e.definition));
    return line + "}";
}

std::string resultLine(const std::string& name, const Result& result, short hostError) {
    std::string line = "{";
    field(line, "function", jsonString(name));
    field(line, "result", jsonString(result.text()));
    field(line, "encoding", result.origin() == TextOrigin::EightBit ? "\"8-bit\"" : "\"utf-16\"");
    field(line, "hostError", std::to_string(hostError));
    return line + "}";
}

std::string errorLine(const std::string& name, const std::string& why) {
    std::string line = "{";
    field(line, "function", jsonString(name));
    field(line, "error", jsonString(why));
    return line + "}";
}

}  // namespace skrw::hostsim
