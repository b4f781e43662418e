// pluginhost's calculation parser on arbitrary lines: it answers either a
// calculation or an error naming a position, never both, never a crash; and
// the numbers it reads convert to texts and integers without undefined
// behaviour.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzCheck.h"
#include "hostsim/Calculation.h"
#include "hostsim/Encoding.h"
#include "hostsim/Numbers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const skrw::hostsim::ParsedCalculation parsed = skrw::hostsim::parseCalculation(line);
    if (!parsed.calculation) {
        SKRW_FUZZ_CHECK(!parsed.error.empty());
    } else {
        SKRW_FUZZ_CHECK(parsed.error.empty());
        SKRW_FUZZ_CHECK(!parsed.calculation->name.empty());
        for (const auto& argument : parsed.calculation->arguments) {
            if (const auto* number = std::get_if<long double>(&argument.value)) {
                const std::u16string text = skrw::hostsim::numberAsText(*number);
                (void)skrw::hostsim::numberAsLong(*number);
                if (std::isfinite(*number)) {
                    SKRW_FUZZ_CHECK(skrw::hostsim::textAsNumber(text) == *number);
                }
            } else {
                const auto& units = std::get<std::u16string>(argument.value);
                (void)skrw::hostsim::utf8FromUtf16(units);
                (void)skrw::hostsim::encodeUnits(units, 4, units.size());
            }
        }
    }
    // Texts read as numbers, whatever they hold.
    const std::u16string asUnits = skrw::hostsim::decodeBytes(line, 0);
    const long double value = skrw::hostsim::textAsNumber(asUnits);
    (void)skrw::hostsim::numberAsLong(value);
    (void)skrw::hostsim::numberAsText(value);
    return 0;
}
