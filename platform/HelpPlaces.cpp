// The help window's places: plain text tests on addresses, the same in both processes.
#include "platform/HelpPlaces.h"

#include <algorithm>

namespace {
char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), LowerAscii);
    return s;
}
}

bool IsInHelpFolder(const std::string& url, const std::string& folder)
{
    if (folder.empty() || url.rfind(folder, 0) != 0) return false;
    // The browser resolves "..", but a folder is only a prefix: nothing that could climb out of it.
    const std::string rest = Lower(url.substr(folder.size()));
    return rest.find("..") == std::string::npos && rest.find("%2e") == std::string::npos;
}

bool IsHelpPage(const std::string& url, const std::string& page)
{
    return !page.empty() && (url == page || url.rfind(page + "#", 0) == 0);
}

std::string WebOrigin(const std::string& url)
{
    const std::string lower = Lower(url);
    const size_t start = lower.rfind("http://", 0) == 0 ? 7 : lower.rfind("https://", 0) == 0 ? 8 : 0;
    if (start == 0) return {};
    const size_t end = lower.find_first_of("/?#", start);
    // A user name or password before the host would let "http://page.example@elsewhere/" pass.
    const std::string host = lower.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (host.empty() || host.find('@') != std::string::npos || host.find('\\') != std::string::npos) return {};
    return lower.substr(0, start) + host + "/";
}

bool IsAllowedRequest(const std::string& url, const std::string& page, const std::string& folder)
{
    if (IsInHelpFolder(url, folder) || IsHelpPage(url, page)) return true;
    const std::string origin = WebOrigin(page);
    return !origin.empty() && WebOrigin(url) == origin;
}
