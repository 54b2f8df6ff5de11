// What the help window may show and load: the help folder, the page the settings name, and for
// a page on the web whatever shares its origin. Shared by the saver, which decides every
// navigation, and the browser's web process, which cancels every other request.
#pragma once

#include <string>

// url lies inside folder (a file: address ending in '/'), with nothing that could climb out of it.
bool IsInHelpFolder(const std::string& url, const std::string& folder);
// url is the page itself, or a place within it ("#...").
bool IsHelpPage(const std::string& url, const std::string& page);
// "http://host:port/" of an http or https address; empty for any other.
std::string WebOrigin(const std::string& url);
// Whether a page shown from these places may load url (a picture, a style sheet, a frame, the
// page itself): inside the folder, the page, or on the web page's own origin; nothing else.
bool IsAllowedRequest(const std::string& url, const std::string& page, const std::string& folder);
