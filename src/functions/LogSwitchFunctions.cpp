// The two log switch functions. They are never registered with the host; they switch the
// diagnostic log on and off and empty its file.
#include <cstdint>

#include "functions/PluginFunctions.h"
#include "functions/ScriptFrame.h"
#include "log/LogFile.h"
#include "log/PluginLogger.h"
#include "platform/String.h"

using namespace skrw::functions;

namespace {

// SKRW_LogSet's own bounds: the on/off text and one more argument that is never read.
constexpr short kLogSetLeast = 1;
constexpr short kLogSetMost = 2;

constexpr const char* kLogName = "HALDOREN";

void switchLogOn() {
    if (m_pl != nullptr) return;  // already on: no second logger, no second banner
    const skrw::platform::String path =
        skrw::platform::String::fromUtf8(skrw::log::defaultLogPathBelow("~", kLogName))
            .stringByStandardizingPath();
    m_pl = new PluginLogger(kLogName, path.utf8());
}

void switchLogOff() {
    PluginLogger* logger = m_pl;
    m_pl = nullptr;
    delete logger;  // writes the end banner
}

}  // namespace

short SKRW_LogSet(short, const fmx::ExprEnv&, const fmx::DataVect& args, fmx::Data& result) {
    return answeredGuarded([&] {
        fmx::TextAutoPtr text;
        const std::uint32_t count = args.Size();
        if (!countWithin(count, kLogSetLeast, kLogSetMost)) {
            answerCountFailure(*text, result);
            return;
        }
        if (textArgument(args, count, 0).boolValue()) {
            switchLogOn();
        } else {
            switchLogOff();
        }
        returnStringResult(kDoneAnswer, result);
    });
}

short SKRW_LogClear(short, const fmx::ExprEnv&, const fmx::DataVect&, fmx::Data& result) {
    return answeredGuarded([&] {
        if (m_pl == nullptr) {
            returnStringResult(kErrorAnswer, result);
            return;
        }
        m_pl->ClearLog();
        returnStringResult(kDoneAnswer, result);
    });
}
