#pragma once
// The parameter definitions of the plug-in's script steps: one line of XML
// per function id, handed to the host with each script-step registration.
#include <cstdint>
#include <string_view>

#include "fmx/fmx.h"

namespace skrw::host {

// The definition of `functionId`; the empty text for an id without one
// (SKRW_Debug's among them).
std::string_view stepDefinition(int functionId);

}  // namespace skrw::host

// Overwrites `text` with the definition of `functionId`: a defined text is
// assigned as UTF-8 (encoding code 1), the empty text with encoding code 0.
// Host framework failures (fmx::Exception) pass to the caller.
void GetXMLDefinition(std::int16_t functionId, fmx::TextUniquePtr& text);
