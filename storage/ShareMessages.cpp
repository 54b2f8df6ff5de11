// Failure texts of universal strings, shared by the share dialog and nimbula-tool.
#include "storage/ShareMessages.h"

std::string UniversalStringFailureText(int code)
{
    switch (code) {
    case 1: return "There aren't the right number of bytes in the data.  Did you copy it correctly ?";
    case 2: return "The checksum doesn't match, the information may have been corrupted. Have your friend send it again.";
    default: return "I just don't like that block of data, there's something screwy with it!";
    }
}
