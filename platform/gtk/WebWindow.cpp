// nimbula-web: the web support window's own program, the only one that loads GTK and WebKitGTK.
// One window with one browser, driven in lines over the descriptor its parent names (argv[1]):
// the parent decides every navigation before the browser loads anything, this side shows pages.
// It ends when told to, or when the parent is gone.
#include <gdk/gdkx.h>
#include <glib-unix.h>
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include <fcntl.h>

#include "platform/LineChannel.h"
#include "platform/x11/X11Focus.h"

namespace {
// A navigation that waits for the parent's answer. A link for a new window is asked about as
// the click it is, and shown here if the answer is yes.
struct SPending {
    WebKitPolicyDecision* decision = nullptr;
    std::string uri;
    bool newWindow = false;
};

struct SWebWindow {
    CLineChannel channel;
    GtkWidget* window = nullptr;
    WebKitWebView* view = nullptr;
    WebKitWebContext* context = nullptr;
    unsigned long owner = 0;  // the saver's X window, which this one stays above
    std::map<unsigned long, SPending> pending;
    unsigned long nextDecision = 0;
    // The browser's margins, from "browser"; it is made at the first page, once its places are known.
    int margins[4] = {};
    bool browserAsked = false;
    std::string allowedPage, allowedFolder;
    bool pageStarted = false;  // a load got going: the web process ran
    bool shown = false;
};

SWebWindow g_web;

void Say(const std::string& line)
{
    // A parent that is gone ends us through the channel's hang-up.
    g_web.channel.Send(line);
}

gboolean OnMapped(GtkWidget* widget, GdkEvent*, gpointer)
{
    // Over the saver, it must answer the keys at once (Escape closes it).
    GdkWindow* gdk = gtk_widget_get_window(widget);
    GdkDisplay* display = gdk_window_get_display(gdk);
    if (GDK_IS_X11_DISPLAY(display)) {
        gdk_x11_display_error_trap_push(display);
        ActivateX11Window(GDK_DISPLAY_XDISPLAY(display), GDK_WINDOW_XID(gdk));
        gdk_x11_display_error_trap_pop_ignored(display);
    } else {
        // Elsewhere (Wayland) the compositor decides; asking is all a window can do.
        gtk_window_present(GTK_WINDOW(widget));
    }
    if (!g_web.shown) Say("shown");
    g_web.shown = true;
    return FALSE;
}

void OnRealized(GtkWidget* widget, gpointer)
{
    if (!g_web.owner) return;
    // Above the full-screen saver that opened it, as its dialog; a saver window that went is no error.
    GdkWindow* gdk = gtk_widget_get_window(widget);
    GdkDisplay* display = gdk_window_get_display(gdk);
    // The owner is an X11 window: only an X11 window can be its dialog.
    if (!GDK_IS_X11_DISPLAY(display)) return;
    gdk_x11_display_error_trap_push(display);
    XSetTransientForHint(GDK_DISPLAY_XDISPLAY(display), GDK_WINDOW_XID(gdk), Window(g_web.owner));
    gdk_x11_display_error_trap_pop_ignored(display);
}

gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer)
{
    // The parent decides; it tells us to close.
    Say("cancel");
    return TRUE;
}

gboolean OnKey(GtkWidget*, GdkEventKey* event, gpointer)
{
    if (event->keyval != GDK_KEY_Escape) return FALSE;
    Say("cancel");
    return TRUE;
}

std::string UriOf(WebKitNavigationAction* action)
{
    const char* uri = webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
    return uri ? uri : "";
}

// Asks the parent about a navigation, a click or the page's own move: with scripts off, only a
// refresh or redirect moves a page by itself.
void AskParent(WebKitPolicyDecision* decision, bool newWindow)
{
    WebKitNavigationAction* action =
        webkit_navigation_policy_decision_get_navigation_action(reinterpret_cast<WebKitNavigationPolicyDecision*>(decision));
    const std::string uri = UriOf(action);
    // An address longer than a line may be is no page of ours.
    if (uri.size() > kMaxChannelLine - 64) {
        webkit_policy_decision_ignore(decision);
        return;
    }
    const WebKitNavigationType kind = webkit_navigation_action_get_navigation_type(action);
    const bool byUser = webkit_navigation_action_is_user_gesture(action) ||
                        kind == WEBKIT_NAVIGATION_TYPE_LINK_CLICKED || kind == WEBKIT_NAVIGATION_TYPE_BACK_FORWARD;
    const unsigned long id = ++g_web.nextDecision;
    g_web.pending[id] = SPending{static_cast<WebKitPolicyDecision*>(g_object_ref(decision)), uri, newWindow};
    Say("navigate " + std::to_string(id) + (byUser ? " user " : " page ") + uri);
}

gboolean OnDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type, gpointer)
{
    switch (type) {
    case WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION:
        AskParent(decision, false);
        return TRUE;
    case WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION:
        // One window only: a link for a new window is a click like any other, shown here.
        AskParent(decision, true);
        return TRUE;
    case WEBKIT_POLICY_DECISION_TYPE_RESPONSE:
        // Nothing is downloaded: what the browser cannot show stays where it is.
        if (!webkit_response_policy_decision_is_mime_type_supported(reinterpret_cast<WebKitResponsePolicyDecision*>(decision))) {
            webkit_policy_decision_ignore(decision);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

// The web process's guard cancelled a request: the parent hears of it (its trace shows it).
gboolean OnUserMessage(WebKitWebView*, WebKitUserMessage* message, gpointer)
{
    if (std::string(webkit_user_message_get_name(message)) != "blocked") return FALSE;
    GVariant* parameters = webkit_user_message_get_parameters(message);
    if (parameters && g_variant_is_of_type(parameters, G_VARIANT_TYPE_STRING)) {
        const std::string uri = g_variant_get_string(parameters, nullptr);
        if (uri.size() <= kMaxChannelLine - 64) Say("blocked " + uri);
    }
    return TRUE;
}

void OnLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer)
{
    if (event == WEBKIT_LOAD_COMMITTED) g_web.pageStarted = true;
    if (event != WEBKIT_LOAD_FINISHED) return;
    const char* uri = webkit_web_view_get_uri(view);
    Say(std::string("loaded ") + (uri ? uri : ""));
}

void OnWebProcessTerminated(WebKitWebView*, WebKitWebProcessTerminationReason reason, gpointer)
{
    if (!g_web.pageStarted) {
        Say("failed the browser's web process did not start");
        return;
    }
    Say(reason == WEBKIT_WEB_PROCESS_EXCEEDED_MEMORY_LIMIT ? "failed the page used more memory than the browser allows"
                                                            : "failed the browser's web process ended unexpectedly");
}

// WebKit's sandbox runs the web process under bubblewrap, which needs new namespaces. Where it
// cannot have them (a container without the rights, a kernel that forbids them to users) the web
// process would never start: there, and only there, pages run without it, as WebKit's own default.
bool SandboxCanRun()
{
    const char* argv[] = {"bwrap", "--unshare-all", "--die-with-parent", "--ro-bind", "/", "/", "--dev", "/dev",
                          "--proc", "/proc", "true", nullptr};
    gchar* errors = nullptr;
    gint status = 0;
    GError* error = nullptr;
    const bool ran = g_spawn_sync(nullptr, const_cast<gchar**>(argv), nullptr,
                                  GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_STDOUT_TO_DEV_NULL), nullptr, nullptr,
                                  nullptr, &errors, &status, &error);
    const bool works = ran && g_spawn_check_wait_status(status, nullptr);
    if (!works) {
        std::string why = error ? error->message : errors ? errors : "";
        if (const size_t end = why.find('\n'); end != std::string::npos) why.erase(end);
        std::fprintf(stderr, "nimbula-web: WebKit's sandbox cannot run here (%s); pages run without it\n",
                     why.empty() ? "bwrap failed" : why.c_str());
    }
    if (error) g_error_free(error);
    g_free(errors);
    return works;
}

void MakeWindow(const std::vector<std::string>& f)
{
    // window X Y WIDTH HEIGHT OWNER SIZABLE CAPTION
    if (g_web.window || f.size() < 8) return;
    g_web.owner = std::strtoul(f[5].c_str(), nullptr, 10);
    GtkWindow* window = GTK_WINDOW(gtk_window_new(GTK_WINDOW_TOPLEVEL));
    g_web.window = GTK_WIDGET(window);
    gtk_window_set_title(window, f[7].c_str());
    gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_DIALOG);
    gtk_window_set_default_size(window, std::atoi(f[3].c_str()), std::atoi(f[4].c_str()));
    gtk_window_move(window, std::atoi(f[1].c_str()), std::atoi(f[2].c_str()));
    gtk_window_set_resizable(window, f[6] == "1");
    gtk_window_set_keep_above(window, TRUE);
    g_signal_connect(window, "realize", G_CALLBACK(OnRealized), nullptr);
    g_signal_connect(window, "map-event", G_CALLBACK(OnMapped), nullptr);
    g_signal_connect(window, "delete-event", G_CALLBACK(OnDelete), nullptr);
    g_signal_connect(window, "key-press-event", G_CALLBACK(OnKey), nullptr);
}

void MakeBrowser(const std::vector<std::string>& f)
{
    // browser LEFT TOP RIGHT BOTTOM: the margins the browser keeps to the window's edges.
    if (!g_web.window || g_web.browserAsked || f.size() < 5) return;
    g_web.browserAsked = true;
    for (int i = 0; i < 4; ++i) g_web.margins[i] = std::atoi(f[size_t(i) + 1].c_str());
}

// The folder of the web process's guard: web-extensions/ beside this program.
std::string GuardFolder()
{
    gchar* self = g_file_read_link("/proc/self/exe", nullptr);
    if (!self) return {};
    gchar* dir = g_path_get_dirname(self);
    const std::string folder = std::string(dir) + "/web-extensions";
    g_free(dir);
    g_free(self);
    return folder;
}

// Connections the browser opens on a page's hint, before and without any request its guard
// could cancel: a page may hint at any host.
void TurnOffSpeculativeConnections(WebKitSettings* settings)
{
    static const char* const kHints[] = {"LinkPreconnect", "LinkPreconnectEarlyHints", "LinkDNSPrefetch", "LinkPrefetch"};
    WebKitFeatureList* all = webkit_settings_get_all_features();
    for (gsize i = 0; i < webkit_feature_list_get_length(all); ++i) {
        WebKitFeature* feature = webkit_feature_list_get(all, i);
        for (const char* hint : kHints)
            if (std::string(webkit_feature_get_identifier(feature)) == hint)
                webkit_settings_set_feature_enabled(settings, feature, FALSE);
    }
    webkit_feature_list_unref(all);
}

// Made at the first page, with the places the parent allowed; false (the parent told why) when
// the guard is missing, since without it a page could load from anywhere.
bool EnsureBrowser()
{
    if (g_web.view) return true;
    if (!g_web.window || !g_web.browserAsked) return false;
    const std::string guards = GuardFolder();
    if (!g_file_test((guards + "/nimbula-web-requests.so").c_str(), G_FILE_TEST_IS_REGULAR)) {
        Say("failed the browser's request guard is missing (" + guards + "/nimbula-web-requests.so)");
        return false;
    }
    // No cookies, cache or storage left in the user's home by a screen saver's help window.
    WebKitWebContext* context = webkit_web_context_new_ephemeral();
    webkit_web_context_set_web_extensions_directory(context, guards.c_str());
    webkit_web_context_set_web_extensions_initialization_user_data(
        context, g_variant_new("(ss)", g_web.allowedPage.c_str(), g_web.allowedFolder.c_str()));
    // A few pages read one after another: nothing worth keeping in a memory cache.
    webkit_web_context_set_cache_model(context, WEBKIT_CACHE_MODEL_DOCUMENT_VIEWER);
    // WebKit leaves its web process sandbox off unless asked: pages, online ones too, run in it.
    webkit_web_context_set_sandbox_enabled(context, SandboxCanRun());
    g_web.view = WEBKIT_WEB_VIEW(webkit_web_view_new_with_context(context));
    g_web.context = context;
    // The help pages carry no script; a page's scripts could move it, or fetch, without a click.
    WebKitSettings* settings = webkit_web_view_get_settings(g_web.view);
    webkit_settings_set_enable_javascript(settings, FALSE);
    webkit_settings_set_enable_javascript_markup(settings, FALSE);
    // A clicked link's ping= would tell an address of the user's click to a third party.
    g_object_set(settings, "enable-hyperlink-auditing", FALSE, nullptr);
    TurnOffSpeculativeConnections(settings);
    // Until the first page paints, the browser shows the night of the universe, not a white flash.
    const GdkRGBA night{0.02, 0.027, 0.10, 1.0};
    webkit_web_view_set_background_color(g_web.view, &night);
    // Help pages are documents: drawn without GL compositing, the first picture takes a quarter
    // less work where GL is a software renderer, and the saver keeps the GPU to itself.
    webkit_settings_set_hardware_acceleration_policy(settings, WEBKIT_HARDWARE_ACCELERATION_POLICY_NEVER);
    GtkWidget* widget = GTK_WIDGET(g_web.view);
    gtk_widget_set_margin_start(widget, g_web.margins[0]);
    gtk_widget_set_margin_top(widget, g_web.margins[1]);
    gtk_widget_set_margin_end(widget, g_web.margins[2]);
    gtk_widget_set_margin_bottom(widget, g_web.margins[3]);
    g_signal_connect(widget, "decide-policy", G_CALLBACK(OnDecidePolicy), nullptr);
    g_signal_connect(widget, "load-changed", G_CALLBACK(OnLoadChanged), nullptr);
    g_signal_connect(widget, "web-process-terminated", G_CALLBACK(OnWebProcessTerminated), nullptr);
    g_signal_connect(widget, "user-message-received", G_CALLBACK(OnUserMessage), nullptr);
    gtk_container_add(GTK_CONTAINER(g_web.window), widget);
    gtk_widget_show(widget);
    return true;
}

void Decide(const std::vector<std::string>& f)
{
    // decide ID use|ignore
    if (f.size() < 3) return;
    const auto it = g_web.pending.find(std::strtoul(f[1].c_str(), nullptr, 10));
    if (it == g_web.pending.end()) return;
    const SPending asked = it->second;
    g_web.pending.erase(it);
    // A new window's page, allowed, opens in this one.
    if (f[2] == "use" && !asked.newWindow) webkit_policy_decision_use(asked.decision);
    else webkit_policy_decision_ignore(asked.decision);
    if (f[2] == "use" && asked.newWindow && g_web.view) webkit_web_view_load_uri(g_web.view, asked.uri.c_str());
    g_object_unref(asked.decision);
}

void Handle(const std::string& line)
{
    const std::vector<std::string> f = SplitLine(line, 2);
    if (f.empty()) return;
    if (f[0] == "window") {
        MakeWindow(SplitLine(line, 8));
    } else if (f[0] == "icon" && f.size() == 2) {
        gtk_window_set_default_icon_from_file(f[1].c_str(), nullptr);
    } else if (f[0] == "browser") {
        MakeBrowser(SplitLine(line, 5));
    } else if (f[0] == "allow-page" && f.size() == 2) {
        g_web.allowedPage = f[1];
    } else if (f[0] == "allow-folder" && f.size() == 2) {
        g_web.allowedFolder = f[1];
    } else if (f[0] == "load" && EnsureBrowser()) {
        const std::string url = f.size() == 2 && !f[1].empty() ? f[1] : "about:blank";
        webkit_web_view_load_uri(g_web.view, url.c_str());
    } else if (f[0] == "decide") {
        Decide(SplitLine(line, 3));
    } else if (f[0] == "close") {
        gtk_main_quit();
    }
}

// GLib ends the program after an error message (WebKit's, when its web process cannot start):
// the parent hears why first.
GLogWriterOutput OnLog(GLogLevelFlags level, const GLogField* fields, gsize count, gpointer)
{
    if (level & G_LOG_LEVEL_ERROR) {
        for (gsize i = 0; i < count; ++i) {
            if (std::string(fields[i].key) != "MESSAGE" || fields[i].length >= 0) continue;
            // WebKit's advice to developers after the message is no help to a user.
            std::string message = static_cast<const char*>(fields[i].value);
            message = message.substr(0, message.find(". ("));
            Say("failed the browser stopped with an error (" + message + ")");
        }
    }
    return g_log_writer_default(level, fields, count, nullptr);
}

gboolean OnChannel(gint, GIOCondition, gpointer)
{
    std::vector<std::string> lines;
    const bool open = g_web.channel.Receive(&lines);
    for (const std::string& line : lines) Handle(line);
    if (g_web.window && !gtk_widget_get_visible(g_web.window)) gtk_widget_show_all(g_web.window);
    if (!open) {
        gtk_main_quit();
        return G_SOURCE_REMOVE;
    }
    return G_SOURCE_CONTINUE;
}
}  // namespace

int main(int argc, char** argv)
{
    const int fd = argc > 1 ? std::atoi(argv[1]) : -1;
    if (fd < 3 || fcntl(fd, F_SETFD, FD_CLOEXEC) != 0) {
        std::fprintf(stderr, "nimbula-web: the web support window of nimbula; nimbula starts it\n");
        return 2;
    }
    g_web.channel.Adopt(fd);
    g_log_set_writer_func(OnLog, nullptr, nullptr);
    if (!gtk_init_check(&argc, &argv)) {
        Say("failed GTK cannot open the display");
        return 1;
    }
    // A dark frame around the page, as befits a window over a screen saver.
    g_object_set(gtk_settings_get_default(), "gtk-application-prefer-dark-theme", TRUE, nullptr);
    g_unix_fd_add(fd, GIOCondition(G_IO_IN | G_IO_HUP | G_IO_ERR), OnChannel, nullptr);
    gtk_main();
    for (auto& [id, asked] : g_web.pending) {
        webkit_policy_decision_ignore(asked.decision);
        g_object_unref(asked.decision);
    }
    if (g_web.window) gtk_widget_destroy(g_web.window);
    return 0;
}
