// The engine's one failure type.
#pragma once

#include <string>
#include <system_error>

class CQLException {
public:
    explicit CQLException(std::string what, std::error_code code = {}) : m_what(std::move(what)), m_code(code) {}
    const std::string& What() const { return m_what; }
    // The system's reason when a system call failed (a file too long, a full disk); empty otherwise.
    const std::error_code& Code() const { return m_code; }

private:
    std::string m_what;
    std::error_code m_code;
};
