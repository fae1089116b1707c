/* Preloaded into the X11 hack by tools/bench-cost: counts its buffer swaps and, after a warm-up, takes
 * the process's CPU time (every thread) and the X server's ($FRAMES_XVFB_PID) over a fixed number of
 * frames, writes "OWN_MS SERVER_MS" per frame to $FRAMES_OUT and ends the hack. With $FRAMES_SECONDS
 * it measures that many seconds of wall time instead and writes "FRAMES OWN_S SERVER_S". */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

enum { kWarmUp = 60, kFrames = 300 };
static unsigned long frames;
static double start, xStart, wallStart;

static double WallS(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}

static void Finish(const char* line) {
    FILE* out = fopen(getenv("FRAMES_OUT"), "w");
    if (out == NULL) _exit(1);
    fputs(line, out);
    _exit(fclose(out) == 0 ? 0 : 1);
}

static double OwnMs(void) {
    struct rusage u;
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

/* The X server's CPU: fields 14 and 15 of its /proc stat, user and system time in clock ticks. */
static double ServerMs(void) {
    char path[64];
    unsigned long user = 0, system = 0;
    snprintf(path, sizeof path, "/proc/%s/stat", getenv("FRAMES_XVFB_PID"));
    FILE* f = fopen(path, "r");
    if (f == NULL) return 0;
    if (fscanf(f, "%*d %*s %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &user, &system) != 2)
        user = system = 0;
    fclose(f);
    return (user + system) * 1e3 / 100.0;
}

void glXSwapBuffers(void* display, unsigned long drawable) {
    static void (*real)(void*, unsigned long);
    if (real == NULL) real = (void (*)(void*, unsigned long))dlsym(RTLD_NEXT, "glXSwapBuffers");
    real(display, drawable);
    const char* seconds = getenv("FRAMES_SECONDS");
    char line[96];
    if (++frames == kWarmUp) start = OwnMs(), xStart = ServerMs(), wallStart = WallS();
    if (seconds != NULL && frames > kWarmUp && WallS() - wallStart >= atof(seconds)) {
        snprintf(line, sizeof line, "%lu %.3f %.3f\n", frames - kWarmUp, (OwnMs() - start) / 1e3,
                 (ServerMs() - xStart) / 1e3);
        Finish(line);
    }
    if (seconds == NULL && frames == kWarmUp + kFrames) {
        snprintf(line, sizeof line, "%.3f %.3f\n", (OwnMs() - start) / kFrames, (ServerMs() - xStart) / kFrames);
        Finish(line);
    }
}
