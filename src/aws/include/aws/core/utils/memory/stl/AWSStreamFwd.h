#pragma once

#include <fstream>
#include <iostream>

namespace Aws {

using IOStream = std::iostream;
using IStream = std::istream;
using OStream = std::ostream;
using FStream = std::fstream;
using IFStream = std::ifstream;
using OFStream = std::ofstream;

}  // namespace Aws
