#include "close_request.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace fambridge::e2e {

namespace {

// Xlib reports a protocol error (a window that has gone, say) through a global handler whose default
// ends the process; the test must fail instead.
bool protocolErrorSeen = false;

int noteProtocolError(Display*, XErrorEvent*) {
    protocolErrorSeen = true;
    return 0;
}

bool takesDeleteWindow(Display* display, Window window, Atom deleteWindow) {
    Atom* offered = nullptr;
    int count = 0;
    if (XGetWMProtocols(display, window, &offered, &count) == 0)
        return false;
    bool found = false;
    for (int i = 0; i < count; ++i)
        found = found || offered[i] == deleteWindow;
    XFree(offered);
    return found;
}

} // namespace

std::string requestWindowClose(const std::string& displayName, unsigned long window) {
    Display* display = XOpenDisplay(displayName.c_str());
    if (!display)
        return "cannot connect to the X display " + displayName;
    protocolErrorSeen = false;
    const auto previousHandler = XSetErrorHandler(noteProtocolError);

    std::string error;
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    if (!takesDeleteWindow(display, window, deleteWindow)) {
        error = "the window does not take WM_DELETE_WINDOW among its WM_PROTOCOLS";
    } else {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = protocols;
        event.xclient.format = 32;
        event.xclient.data.l[0] = long(deleteWindow);
        event.xclient.data.l[1] = CurrentTime;
        if (XSendEvent(display, window, False, NoEventMask, &event) == 0)
            error = "the close request could not be sent";
    }
    XSync(display, False);
    if (error.empty() && protocolErrorSeen)
        error = "the X server refused the close request";

    XSetErrorHandler(previousHandler);
    XCloseDisplay(display);
    return error;
}

} // namespace fambridge::e2e
