// pluginhost's calculation parser on arbitrary lines: it answers a calculation or an error, never
// both, never a crash; the numbers it reads convert to texts and integers without undefined
// behaviour, and finite ones read back from their text unchanged.
#include <cmath>

#include "FuzzCheck.h"
#include "hostsim/Calculation.h"
#include "hostsim/Encoding.h"
#include "hostsim/Numbers.h"

using namespace skrw::hostsim;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const ParsedCalculation parsed = parseCalculation(line);
    SKRW_FUZZ_CHECK(parsed.error.empty() == parsed.calculation.has_value());
    SKRW_FUZZ_CHECK(!parsed.calculation || !parsed.calculation->name.empty());
    for (const auto& argument : parsed.calculation ? parsed.calculation->arguments
                                                   : decltype(parsed.calculation->arguments){}) {
        if (const auto* number = std::get_if<long double>(&argument.value)) {
            (void)numberAsLong(*number);
            if (std::isfinite(*number))
                SKRW_FUZZ_CHECK(textAsNumber(numberAsText(*number)) == *number);
        } else {
            const auto& units = std::get<std::u16string>(argument.value);
            (void)utf8FromUtf16(units);
            (void)encodeUnits(units, 4, units.size());
        }
    }
    const long double value = textAsNumber(decodeBytes(line, 0));  // any text reads as a number
    (void)numberAsLong(value);
    (void)numberAsText(value);
    return 0;
}
