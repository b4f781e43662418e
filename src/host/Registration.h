#pragma once
// Announcing the script functions (and, on newer hosts, the script steps of
// the same ids) to the host, and withdrawing them.
//
// Every registration goes under the plug-in code "SKRW" with the flags value
// 0xFF01. Which host operations are used depends on the interface version of
// the current call record:
//   below 56   functions without a description;
//   56         functions with their description (string id + 200);
//   57 and up  functions with their description, each followed by a script
//              step of the same id, name and description with its parameter
//              definition.
#include <cstdint>

#include "fmx/fmx.h"

// Registers one script function (and its script step on 57 or later) under
// `functionId`, its name and prototype from the string table. Answers the
// host's error code of the last registration call, or the failure's host
// error code (1 out of memory, 2 general) when that call raised one. A
// failure of one registration call does not skip the other; failures that
// happen before any registration call (making the texts) pass to the caller.
short RegisterFunction(unsigned int functionId, short least, short most, ExtPluginType callback);

namespace skrw::host {

inline constexpr std::uint32_t kRegistrationFlags = 0xFF01;
inline constexpr std::int16_t kFirstDescribedVersion = 56;
inline constexpr std::int16_t kFirstStepVersion = 57;
inline constexpr int kFirstUnregisteredId = 150;
inline constexpr int kLastUnregisteredId = 210;

// Registers every script function of the function table, in its order. A
// failure around one function is dropped and the next one is registered.
void registerAllFunctions();

// Unregisters every function id from 150 to 210 and, on 57 or later, every
// script-step id of the same range afterwards, whatever was registered. A
// failure around one id is dropped and the next id is unregistered.
void unregisterAllFunctions();

}  // namespace skrw::host
