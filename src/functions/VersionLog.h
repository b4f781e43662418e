#pragma once
// The diagnostic log lines of SKRW_Version. Each writes only while a logger exists (m_pl set)
// and does nothing otherwise.
#include <string>

namespace skrw::functions {

// "FUNCTION ENTER: SKRW_Version" (one level deeper afterwards).
void logVersionEntry();
// "Returning " and the answer, then "FUNCTION EXIT: SKRW_Version" (one level up again).
void logVersionAnswer(const std::string& answer);

}  // namespace skrw::functions
