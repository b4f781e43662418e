#pragma once

#include <utility>

namespace Aws::Utils {

// Either a result (IsSuccess()) or an error. Reading the side that is not set
// gives a default-constructed value.
template <typename R, typename E>
class Outcome {
  public:
    Outcome() = default;
    Outcome(const R& result) : m_result(result), m_success(true) {}
    Outcome(R&& result) : m_result(std::move(result)), m_success(true) {}
    Outcome(const E& error) : m_error(error), m_success(false) {}
    Outcome(E&& error) : m_error(std::move(error)), m_success(false) {}

    bool IsSuccess() const { return m_success; }

    const R& GetResult() const { return m_result; }
    R& GetResult() { return m_result; }
    // Moves the result out; the outcome keeps a moved-from result.
    R&& GetResultWithOwnership() { return std::move(m_result); }

    const E& GetError() const { return m_error; }

  private:
    R m_result{};
    E m_error{};
    bool m_success = false;
};

}  // namespace Aws::Utils
