#include "storage/RegionParameter.h"

namespace skrw::storage {

using platform::String;

String regionFromParameters(const String& parameters) {
    const String empty = String::fromUtf8("");
    if (parameters.isNull() || parameters.isEmpty()) return empty;
    const String regionName = String::fromUtf8("region");
    const String equals = String::fromUtf8("=");
    for (const String& pair : parameters.componentsSeparatedByString(String::fromUtf8(";"))) {
        std::vector<String> pieces = pair.componentsSeparatedByString(equals);
        // A bare "region" has no value to give: it is not a region pair.
        if (pieces.size() < 2) continue;
        if (pieces[0].lowercaseString().isEqualToString(regionName)) return pieces[1];
    }
    return empty;
}

}  // namespace skrw::storage
