/* Asks an X11 window to close the way a window manager does: a WM_DELETE_WINDOW
   client message. Xvfb runs no window manager, and destroying the window
   outright is not what a user's click on the close box does.
   Usage: wmclose WINDOW_ID */
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: wmclose WINDOW_ID\n");
    return 2;
  }
  Display* d = XOpenDisplay(NULL);
  if (!d) {
    fprintf(stderr, "wmclose: cannot open the display\n");
    return 1;
  }
  Window w = (Window)strtoul(argv[1], NULL, 0);
  XEvent ev = {0};
  ev.xclient.type = ClientMessage;
  ev.xclient.window = w;
  ev.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  ev.xclient.format = 32;
  ev.xclient.data.l[0] = (long)XInternAtom(d, "WM_DELETE_WINDOW", False);
  ev.xclient.data.l[1] = CurrentTime;
  XSendEvent(d, w, False, NoEventMask, &ev);
  XSync(d, False);
  XCloseDisplay(d);
  return 0;
}
