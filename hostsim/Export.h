#pragma once
// Symbols of the FMWrapper library that programs and tests use. The project
// hides every symbol by default; these are the exceptions.
#define HOSTSIM_API __attribute__((visibility("default")))
