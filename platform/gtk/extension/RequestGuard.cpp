// nimbula-web's guard in the browser's web process: every request a page makes (the page itself,
// pictures, style sheets, frames, fonts, redirects) is cancelled unless it is for the help
// folder, the help page, or a web page's own origin. With a local page nothing goes to the
// network at all, and nothing is read from another local file. Refusals are told to the window.
#include <webkit2/webkit-web-extension.h>

#include <string>

#include "platform/HelpPlaces.h"

namespace {
std::string g_page, g_folder;

gboolean OnSendRequest(WebKitWebPage* page, WebKitURIRequest* request, WebKitURIResponse*, gpointer)
{
    const char* uri = webkit_uri_request_get_uri(request);
    const std::string url = uri ? uri : "";
    if (IsAllowedRequest(url, g_page, g_folder)) return FALSE;
    webkit_web_page_send_message_to_view(page, webkit_user_message_new("blocked", g_variant_new_string(url.c_str())),
                                         nullptr, nullptr, nullptr);
    return TRUE;
}

void OnPageCreated(WebKitWebExtension*, WebKitWebPage* page, gpointer)
{
    g_signal_connect(page, "send-request", G_CALLBACK(OnSendRequest), nullptr);
}
}

extern "C" G_MODULE_EXPORT void webkit_web_extension_initialize_with_user_data(WebKitWebExtension* extension,
                                                                               const GVariant* data)
{
    const gchar* page = "";
    const gchar* folder = "";
    if (data && g_variant_is_of_type(const_cast<GVariant*>(data), G_VARIANT_TYPE("(ss)")))
        g_variant_get(const_cast<GVariant*>(data), "(&s&s)", &page, &folder);
    g_page = page;
    g_folder = folder;
    g_signal_connect(extension, "page-created", G_CALLBACK(OnPageCreated), nullptr);
}
