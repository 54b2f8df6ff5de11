/* The tests' pointer in a wlroots session (nothing in Debian offers one): moves the pointer to a
 * point of the output layout and clicks there, through zwlr_virtual_pointer_v1.
 * Usage: wl_click X Y LAYOUT_WIDTH LAYOUT_HEIGHT [move|left|right]. */
#include <linux/input-event-codes.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>
#include <wayland-client.h>

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

static struct zwlr_virtual_pointer_manager_v1* g_manager;
static struct wl_seat* g_seat;

static void OnGlobal(void* data, struct wl_registry* registry, uint32_t name, const char* interface, uint32_t version)
{
    (void)data;
    (void)version;
    if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        g_manager = wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
    else if (strcmp(interface, wl_seat_interface.name) == 0 && !g_seat)
        g_seat = wl_registry_bind(registry, name, &wl_seat_interface, 1);
}

static void OnGlobalRemove(void* data, struct wl_registry* registry, uint32_t name)
{
    (void)data;
    (void)registry;
    (void)name;
}

static const struct wl_registry_listener kRegistry = {OnGlobal, OnGlobalRemove};

static uint32_t Now(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (uint32_t)(t.tv_sec * 1000 + t.tv_nsec / 1000000);
}

int main(int argc, char** argv)
{
    if (argc < 5) {
        fprintf(stderr, "usage: wl_click X Y LAYOUT_WIDTH LAYOUT_HEIGHT [move|left|right]\n");
        return 2;
    }
    const uint32_t x = (uint32_t)atoi(argv[1]), y = (uint32_t)atoi(argv[2]);
    const uint32_t w = (uint32_t)atoi(argv[3]), h = (uint32_t)atoi(argv[4]);
    const char* what = argc > 5 ? argv[5] : "left";
    struct wl_display* display = wl_display_connect(NULL);
    if (!display) {
        fprintf(stderr, "wl_click: no Wayland display\n");
        return 1;
    }
    struct wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &kRegistry, NULL);
    wl_display_roundtrip(display);
    if (!g_manager) {
        fprintf(stderr, "wl_click: the compositor offers no zwlr_virtual_pointer_manager_v1\n");
        return 1;
    }
    struct zwlr_virtual_pointer_v1* pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(g_manager, g_seat);
    wl_display_roundtrip(display);
    /* The seat gains a pointer with this device: each client asks for its wl_pointer only once
     * told so, and a client without one yet misses the enter and the click. Time for them to. */
    usleep(300000);
    zwlr_virtual_pointer_v1_motion_absolute(pointer, Now(), x, y, w, h);
    zwlr_virtual_pointer_v1_frame(pointer);
    wl_display_roundtrip(display);
    if (strcmp(what, "move") != 0) {
        const uint32_t button = strcmp(what, "right") == 0 ? BTN_RIGHT : BTN_LEFT;
        /* A moment between the move and the press, and between press and release: a client reads
         * them as a user's click, not as one burst. */
        usleep(100000);
        zwlr_virtual_pointer_v1_button(pointer, Now(), button, WL_POINTER_BUTTON_STATE_PRESSED);
        zwlr_virtual_pointer_v1_frame(pointer);
        wl_display_roundtrip(display);
        usleep(100000);
        zwlr_virtual_pointer_v1_button(pointer, Now(), button, WL_POINTER_BUTTON_STATE_RELEASED);
        zwlr_virtual_pointer_v1_frame(pointer);
        wl_display_roundtrip(display);
    }
    zwlr_virtual_pointer_v1_destroy(pointer);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
