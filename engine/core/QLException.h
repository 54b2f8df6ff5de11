// The engine's one failure type.
#pragma once

#include <string>

class CQLException {
public:
    explicit CQLException(std::string what) : m_what(std::move(what)) {}
    const std::string& What() const { return m_what; }

private:
    std::string m_what;
};
