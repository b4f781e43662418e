#pragma once
// The region of later bucket and object operations: named in the optional parameters of a
// credential call, and turned into the location constraint of new buckets by GetRegion
// (declared with SKFuncs).
#include "platform/String.h"

namespace skrw::storage {

// The parameters are "name=value" pairs separated by ";". The first pair whose name (the text
// before its first "=", compared lower-cased) is "region" gives the text between its first "="
// and the next "=" or its end, exactly as written. A pair without "=" never matches, so the
// pairs after it are still looked at. Null, empty parameters and no match give the empty text.
platform::String regionFromParameters(const platform::String& parameters);

}  // namespace skrw::storage
