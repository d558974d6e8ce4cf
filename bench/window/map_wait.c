/* Starts a program under the X server of $DISPLAY and prints, in
 * milliseconds, how long it took until its first top-level window was
 * mapped. Usage: map_wait PROGRAM [ARGS...]; prints "<ms> <pid>" and leaves
 * the program running. */
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/types.h>
#include <time.h>
#include <unistd.h>

static double now_ms(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: map_wait PROGRAM [ARGS...]\n");
    return 2;
  }
  Display* dpy = XOpenDisplay(NULL);
  if (dpy == NULL) {
    fprintf(stderr, "map_wait: no X display\n");
    return 1;
  }
  XSelectInput(dpy, DefaultRootWindow(dpy), SubstructureNotifyMask);
  XSync(dpy, False);
  const double start = now_ms();
  pid_t pid = fork();
  if (pid == 0) {
    execvp(argv[1], argv + 1);
    _exit(127);
  }
  for (;;) {
    XEvent ev;
    XNextEvent(dpy, &ev);
    if (ev.type == MapNotify) break;
  }
  printf("%.1f %d\n", now_ms() - start, (int)pid);
  fflush(stdout);
  XCloseDisplay(dpy);
  return 0;
}
