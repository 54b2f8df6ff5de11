/* Waits until the screen pixel at X Y has colour R G B (within a tolerance) and prints how many
   milliseconds that took, counted from the moment it started. Used to time dialogs appearing.
   Build: cc -O2 pixel_wait.c -lX11 -o pixel_wait. Usage: pixel_wait X Y R G B [TIMEOUT_MS] */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

static double now_ms(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

int main(int argc, char** argv)
{
    if (argc < 6) {
        fprintf(stderr, "usage: pixel_wait X Y R G B [TIMEOUT_MS]\n");
        return 2;
    }
    const int x = atoi(argv[1]), y = atoi(argv[2]);
    const int r = atoi(argv[3]), g = atoi(argv[4]), b = atoi(argv[5]);
    const double timeout = argc > 6 ? atof(argv[6]) : 5000.0;
    Display* d = XOpenDisplay(NULL);
    if (!d) return 2;
    const double start = now_ms();
    while (now_ms() - start < timeout) {
        XImage* img = XGetImage(d, DefaultRootWindow(d), x, y, 1, 1, AllPlanes, ZPixmap);
        if (img) {
            const unsigned long p = XGetPixel(img, 0, 0);
            XDestroyImage(img);
            const int pr = (p >> 16) & 255, pg = (p >> 8) & 255, pb = p & 255;
            if (abs(pr - r) < 24 && abs(pg - g) < 24 && abs(pb - b) < 24) {
                printf("%.1f\n", now_ms() - start);
                return 0;
            }
        }
    }
    printf("timeout\n");
    return 1;
}
