// The exception that carries no message text.
#pragma once

#include <exception>

namespace ostrel {

// Raised when a provider cannot be obtained. It says nothing more than a standard
// exception without message does.
class UnknownException final : public std::exception {
 public:
  const char* what() const noexcept override { return "Unknown exception"; }
};

}  // namespace ostrel
