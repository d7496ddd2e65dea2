/* Drops files on whatever X window lies at a point of the screen, the way a
 * Linux file manager does: the XDND protocol (freedesktop.org's Drag-and-Drop
 * Protocol for the X Window System, version 5) with a text/uri-list. Wine
 * turns such a drop into WM_DROPFILES for a window that accepts files, so
 * the end-to-end tests use it to drop tracks on the real program.
 *
 *   orv-xdnd-drop X Y URI...      exits 0 once the target said it finished
 */
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static Display *dpy;
static Atom aAware, aEnter, aPosition, aStatus, aDrop, aFinished, aSelection, aCopy, aUriList;

/* The deepest window at the point that says it takes XDND drops. */
static Window AwareWindowAt(int x, int y)
{
    Window root = DefaultRootWindow(dpy), from = root, child = None, found = None;
    int tx, ty;
    for (;;) {
        if (!XTranslateCoordinates(dpy, root, from, x, y, &tx, &ty, &child)) break;
        if (from != root) {
            Atom type;
            int format;
            unsigned long n, after;
            unsigned char *data = NULL;
            if (XGetWindowProperty(dpy, from, aAware, 0, 1, False, AnyPropertyType, &type, &format, &n, &after,
                                   &data) == Success && type != None)
                found = from;
            if (data) XFree(data);
        }
        if (child == None) break;
        from = child;
    }
    return found;
}

static void Send(Window target, Window source, Atom type, long l1, long l2, long l3, long l4)
{
    XEvent e;
    memset(&e, 0, sizeof e);
    e.xclient.type = ClientMessage;
    e.xclient.display = dpy;
    e.xclient.window = target;
    e.xclient.message_type = type;
    e.xclient.format = 32;
    e.xclient.data.l[0] = (long)source;
    e.xclient.data.l[1] = l1;
    e.xclient.data.l[2] = l2;
    e.xclient.data.l[3] = l3;
    e.xclient.data.l[4] = l4;
    XSendEvent(dpy, target, False, NoEventMask, &e);
    XFlush(dpy);
}

static void AnswerSelection(const XSelectionRequestEvent *r, const char *uris)
{
    XEvent reply;
    memset(&reply, 0, sizeof reply);
    reply.xselection.type = SelectionNotify;
    reply.xselection.display = r->display;
    reply.xselection.requestor = r->requestor;
    reply.xselection.selection = r->selection;
    reply.xselection.target = r->target;
    reply.xselection.time = r->time;
    reply.xselection.property = None;
    if (r->target == aUriList && r->property != None) {
        XChangeProperty(dpy, r->requestor, r->property, aUriList, 8, PropModeReplace, (const unsigned char *)uris,
                        (int)strlen(uris));
        reply.xselection.property = r->property;
    }
    XSendEvent(dpy, r->requestor, False, NoEventMask, &reply);
    XFlush(dpy);
}

int main(int argc, char **argv)
{
    if (argc < 4) {
        fprintf(stderr, "usage: orv-xdnd-drop X Y URI...\n");
        return 2;
    }
    dpy = XOpenDisplay(NULL);
    if (!dpy) {
        fprintf(stderr, "orv-xdnd-drop: no display\n");
        return 1;
    }
    const int x = atoi(argv[1]), y = atoi(argv[2]);
    size_t length = 1;
    for (int i = 3; i < argc; ++i) length += strlen(argv[i]) + 2;
    char *uris = calloc(length, 1);
    for (int i = 3; i < argc; ++i) {
        strcat(uris, argv[i]);
        strcat(uris, "\r\n");
    }
    aAware = XInternAtom(dpy, "XdndAware", False);
    aEnter = XInternAtom(dpy, "XdndEnter", False);
    aPosition = XInternAtom(dpy, "XdndPosition", False);
    aStatus = XInternAtom(dpy, "XdndStatus", False);
    aDrop = XInternAtom(dpy, "XdndDrop", False);
    aFinished = XInternAtom(dpy, "XdndFinished", False);
    aSelection = XInternAtom(dpy, "XdndSelection", False);
    aCopy = XInternAtom(dpy, "XdndActionCopy", False);
    aUriList = XInternAtom(dpy, "text/uri-list", False);

    Window target = AwareWindowAt(x, y);
    if (target == None) {
        fprintf(stderr, "orv-xdnd-drop: no window takes drops at %d,%d\n", x, y);
        return 1;
    }
    Window source = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(dpy, aSelection, source, CurrentTime);

    Send(target, source, aEnter, 5L << 24, (long)aUriList, 0, 0);
    Send(target, source, aPosition, 0, ((long)x << 16) | (y & 0xFFFF), CurrentTime, (long)aCopy);

    /* Status, then the drop; the target asks for the data, then finishes. */
    const time_t give_up = time(NULL) + 20;
    int dropped = 0, accepted = 0;
    while (time(NULL) < give_up) {
        if (!XPending(dpy)) {
            struct timespec nap = {0, 10 * 1000 * 1000};
            nanosleep(&nap, NULL);
            continue;
        }
        XEvent e;
        XNextEvent(dpy, &e);
        if (e.type == SelectionRequest) {
            AnswerSelection(&e.xselectionrequest, uris);
        } else if (e.type == ClientMessage && e.xclient.message_type == aStatus && !dropped) {
            accepted = (e.xclient.data.l[1] & 1) != 0;
            if (!accepted) break;
            Send(target, source, aDrop, 0, CurrentTime, 0, 0);
            dropped = 1;
        } else if (e.type == ClientMessage && e.xclient.message_type == aFinished) {
            XCloseDisplay(dpy);
            free(uris);
            return 0;
        }
    }
    fprintf(stderr, "orv-xdnd-drop: %s\n", accepted ? "the target never finished" : "the target refused the drop");
    return 1;
}
