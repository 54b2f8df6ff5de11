// UTF-8 inside the program, UTF-16 at the system's edge.
#pragma once

#include <string>

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& wide);
