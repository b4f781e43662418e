#pragma once
// The region named in the optional parameters of a credential call.
#include "platform/String.h"

namespace skrw::storage {

// The parameters are "name=value" pairs separated by ";". The first pair whose name (the text
// before its first "=", compared lower-cased) is "region" gives the text between its first "="
// and the next "=" or its end, exactly as written. A pair without "=" never matches, so the
// pairs after it are still looked at. Null, empty parameters and no match give the empty text.
platform::String regionFromParameters(const platform::String& parameters);

}  // namespace skrw::storage
