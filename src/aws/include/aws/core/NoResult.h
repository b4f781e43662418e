#pragma once

namespace Aws {

// The result of an operation whose success carries no data.
class NoResult {};

}  // namespace Aws
