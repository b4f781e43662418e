#pragma once

#include <fstream>
#include <functional>
#include <iostream>

namespace Aws {

using IOStream = std::iostream;
using IStream = std::istream;
using OStream = std::ostream;
using FStream = std::fstream;
using IFStream = std::ifstream;
using OFStream = std::ofstream;

// Makes a stream for a response body. Whoever asks for the stream owns it and
// deletes it; a null answer means no stream could be made.
using IOStreamFactory = std::function<IOStream*()>;

}  // namespace Aws
