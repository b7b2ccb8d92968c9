#pragma once

// The platform's generic exception (NSGenericException): raised by the JSON writer, the comment
// scanners and `backtrack`, always with a formatted reason. Nothing else in Torvane throws.

#include <exception>
#include <string>
#include <utility>

namespace torvane {

class GenericException : public std::exception {
  public:
    static constexpr const char* name = "NSGenericException";

    explicit GenericException(std::string reason) : m_reason(std::move(reason)) {}

    [[nodiscard]] const std::string& reason() const { return m_reason; }
    [[nodiscard]] const char* what() const noexcept override { return m_reason.c_str(); }

  private:
    std::string m_reason;
};

} // namespace torvane
