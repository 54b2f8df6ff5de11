// What the share dialog says when a universal string cannot be used.
#pragma once

#include <string>

// The message for a decode failure code (1 length, 2 check, anything else).
std::string UniversalStringFailureText(int code);
