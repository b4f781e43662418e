#include "hostsim/HostRun.h"

#include <exception>
#include <istream>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "hostsim/Calculation.h"
#include "hostsim/Encoding.h"
#include "hostsim/HostReport.h"
#include "hostsim/Invocation.h"
#include "hostsim/PluginLoader.h"

namespace skrw::hostsim {
namespace {

// The host strings asked before start-up: plug-in name, description, options.
constexpr std::uint8_t kHostStringIds[] = {128, 129, 131};
constexpr std::int32_t kHostStringCapacity = 1024;

struct PluginMessageFailure {
    std::string what;
};

// Sends one message; a plug-in that lets an exception out of its entry point
// is reported, not allowed to end the host.
template <typename Message>
auto guardedMessage(const char* name, Message&& message) {
    try {
        return message();
    } catch (const std::exception& e) {
        throw PluginMessageFailure{std::string("the plug-in let an exception out of its ") + name +
                                   " message: " + e.what()};
    } catch (...) {
        throw PluginMessageFailure{std::string("the plug-in let an exception out of its ") + name +
                                   " message"};
    }
}

class Session {
  public:
    Session(const HostOptions& options, std::ostream& out, std::ostream& err)
        : m_options(options), m_out(out), m_err(err) {}

    // Evaluates one calculation; false when it could not be made.
    bool evaluate(const std::string& text) {
        const ParsedCalculation parsed = parseCalculation(text);
        if (!parsed.calculation) return report(parsed.name, parsed.error);
        const Calculation& calc = *parsed.calculation;
        Arguments args;
        for (const auto& argument : calc.arguments) {
            if (const auto* units = std::get_if<std::u16string>(&argument.value)) {
                args.text(*units);
            } else {
                args.number(std::get<long double>(argument.value));
            }
        }
        Result result;
        const auto kind =
            m_options.step ? RegistryEntry::Kind::Step : RegistryEntry::Kind::Function;
        const Invocation call = invokeByName(kind, calc.name, args, result);
        if (!call.made) return report(calc.name, call.error);
        if (m_options.json) {
            m_out << resultLine(calc.name, result, call.hostError) << '\n' << std::flush;
        } else {
            m_out << result.textUtf8() << '\n' << std::flush;
            if (call.hostError != 0) {
                m_err << "pluginhost: " << calc.name << ": answered host error " << call.hostError
                      << '\n';
            }
        }
        return true;
    }

  private:
    bool report(const std::string& name, const std::string& why) {
        if (m_options.json) {
            m_out << errorLine(name, why) << '\n' << std::flush;
        } else {
            m_err << "pluginhost: " << name << ": " << why << '\n';
        }
        return false;
    }

    const HostOptions& m_options;
    std::ostream& m_out;
    std::ostream& m_err;
};

std::vector<std::pair<int, std::u16string>> askHostStrings(PluginLoader& loader) {
    std::vector<std::pair<int, std::u16string>> strings;
    for (const std::uint8_t id : kHostStringIds) {
        const GetStringReply reply =
            guardedMessage("get-string", [&] { return loader.getString(id, kHostStringCapacity); });
        strings.emplace_back(id, reply.text);
    }
    return strings;
}

void writeList(const std::vector<std::pair<int, std::u16string>>& strings, std::ostream& out) {
    for (const auto& [id, text] : strings) out << hostStringLine(id, text) << '\n';
    for (const RegistryEntry& entry : Registry::instance().log()) {
        const std::string line = registrationLine(entry);
        if (!line.empty()) out << line << '\n';
    }
    out << std::flush;
}

bool isBlankLine(const std::string& line) {
    return line.find_first_not_of(" \t\r") == std::string::npos;
}

// Evaluates the calculations; answers whether every one was made.
bool evaluateAll(const HostOptions& options, std::istream& in, Session& session) {
    bool allMade = true;
    if (!options.calculations.empty()) {
        for (const std::string& text : options.calculations) allMade &= session.evaluate(text);
        return allMade;
    }
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (isBlankLine(line)) continue;
        allMade &= session.evaluate(line);
    }
    return allMade;
}

int runLoaded(const HostOptions& options, PluginLoader& loader, std::istream& in, std::ostream& out,
              std::ostream& err) {
    const auto strings = askHostStrings(loader);
    const std::int64_t answer =
        guardedMessage("start-up", [&] { return loader.startup(options.interfaceVersion); });
    if (options.list) writeList(strings, out);
    if (answer <= 0) {
        err << "pluginhost: the plug-in refused start-up on interface version "
            << options.interfaceVersion << " (answer " << answer << ")\n";
        return 3;
    }
    Session session(options, out, err);
    const bool allMade = evaluateAll(options, in, session);
    guardedMessage("shut-down", [&] {
        loader.shutdown();
        return 0;
    });
    return allMade ? 0 : 1;
}

}  // namespace

int runPluginHost(const HostOptions& options, std::istream& in, std::ostream& out,
                  std::ostream& err) {
    try {
        PluginLoader loader(options.bundle);
        return runLoaded(options, loader, in, out, err);
    } catch (const LoadError& e) {
        err << "pluginhost: " << e.what() << '\n';
    } catch (const PluginMessageFailure& e) {
        err << "pluginhost: " << e.what << '\n';
    } catch (const std::exception& e) {
        err << "pluginhost: " << e.what() << '\n';
    }
    return 1;
}

}  // namespace skrw::hostsim
