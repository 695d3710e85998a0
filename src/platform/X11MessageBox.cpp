#include "platform/X11MessageBox.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <cairo.h>

#include <algorithm>
#include <numbers>

#include "platform/Framework.h"
#include "platform/X11ConnectionLoss.h"
#include "platform/X11EventWait.h"
#include "platform/X11TopLevel.h"

namespace platform {
namespace {

// The interface's palette (the panel, its sections and separators, labels,
// the accent for the button Return chooses, the outline of the others).
struct Colour {
    double r, g, b;
};
constexpr Colour kPanel{0x1E / 255.0, 0x20 / 255.0, 0x24 / 255.0};
constexpr Colour kSection{0x26 / 255.0, 0x29 / 255.0, 0x2E / 255.0};
constexpr Colour kSeparator{0x34 / 255.0, 0x38 / 255.0, 0x3F / 255.0};
constexpr Colour kText{0xC9 / 255.0, 0xCD / 255.0, 0xD3 / 255.0};
constexpr Colour kAccent{0xF2 / 255.0, 0xA5 / 255.0, 0x41 / 255.0};
constexpr Colour kOutline{0x4A / 255.0, 0x4F / 255.0, 0x57 / 255.0};
constexpr double kPressedLighter = 0.1;
constexpr double kFontSize = 13.0;
constexpr double kButtonRadius = 3.0;
constexpr double kQuarterTurn = std::numbers::pi / 2;  // radians
// The first line's baseline below the line's top.
constexpr double kBaseline = 13.0;

void setColour(cairo_t* cr, Colour c, double lighter = 0.0) {
    cairo_set_source_rgb(cr, c.r + (1 - c.r) * lighter, c.g + (1 - c.g) * lighter, c.b + (1 - c.b) * lighter);
}

void setFont(cairo_t* cr) {
    cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, kFontSize);
}

MessageBoxLayout measuredLayout(MessageKind kind, const std::string& text) {
    cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    cairo_t* cr = cairo_create(scratch);
    setFont(cr);
    const MessageBoxLayout layout = layoutMessageBox(kind, text, [cr](const std::string& line) {
        cairo_text_extents_t extents;
        cairo_text_extents(cr, line.c_str(), &extents);
        return extents.x_advance;
    });
    cairo_destroy(cr);
    cairo_surface_destroy(scratch);
    return layout;
}

void roundedRectangle(cairo_t* cr, const WindowRect& r) {
    const double left = r.left + 0.5, top = r.top + 0.5, right = r.right - 0.5, bottom = r.bottom - 0.5;
    cairo_new_sub_path(cr);
    cairo_arc(cr, right - kButtonRadius, top + kButtonRadius, kButtonRadius, -kQuarterTurn, 0);
    cairo_arc(cr, right - kButtonRadius, bottom - kButtonRadius, kButtonRadius, 0, kQuarterTurn);
    cairo_arc(cr, left + kButtonRadius, bottom - kButtonRadius, kButtonRadius, kQuarterTurn, 2 * kQuarterTurn);
    cairo_arc(cr, left + kButtonRadius, top + kButtonRadius, kButtonRadius, 2 * kQuarterTurn, 3 * kQuarterTurn);
    cairo_close_path(cr);
}

void drawCentred(cairo_t* cr, const char* caption, const WindowRect& r) {
    cairo_text_extents_t extents;
    cairo_text_extents(cr, caption, &extents);
    cairo_move_to(cr, r.left + (r.width() - extents.x_advance) / 2, r.top + (r.height() + kFontSize * 0.7) / 2);
    cairo_show_text(cr, caption);
}

// Where the box goes: centred on `over`, inside the screen.
void placement(Display* display, const WindowRect& over, int32_t width, int32_t height, int& x, int& y) {
    const int screen = DefaultScreen(display);
    const WindowRect whole{0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen)};
    const WindowRect& centre = over.isEmpty() ? whole : over;
    x = std::clamp(centre.left + (centre.width() - width) / 2, 0, std::max(0, whole.right - width));
    y = std::clamp(centre.top + (centre.height() - height) / 2, 0, std::max(0, whole.bottom - height));
}

Atom atom(Display* display, const char* name) { return XInternAtom(display, name, False); }

}  // namespace

X11MessageBox::X11MessageBox(Display* display, XID owner, const WindowRect& over, const MessageRequest& request)
    : display(display), kind(request.kind), layout(measuredLayout(request.kind, request.text)),
      chosen(safeAnswer(request.kind)) {
    int x = 0, y = 0;
    placement(display, over, layout.width, layout.height, x, y);
    XSetWindowAttributes attributes{};
    attributes.background_pixel = BlackPixel(display, DefaultScreen(display));
    attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | KeyPressMask | StructureNotifyMask;
    native = XCreateWindow(display, DefaultRootWindow(display), x, y, layout.width, layout.height, 0, CopyFromParent,
                           InputOutput, CopyFromParent, CWBackPixel | CWEventMask, &attributes);
    if (!native) return;
    describeTopLevel(display, native, request.title.c_str(), layout.width, layout.height);
    // Placed where asked, also without a window manager to place it.
    XSizeHints* hints = XAllocSizeHints();
    if (hints) {
        long supplied = 0;
        XGetWMNormalHints(display, native, hints, &supplied);
        hints->flags |= USPosition | PPosition;
        hints->x = x;
        hints->y = y;
        XSetWMNormalHints(display, native, hints);
        XFree(hints);
    }
    if (owner) XSetTransientForHint(display, native, owner);
    const Atom dialog = atom(display, "_NET_WM_WINDOW_TYPE_DIALOG");
    XChangeProperty(display, native, atom(display, "_NET_WM_WINDOW_TYPE"), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&dialog), 1);
    const Atom modal = atom(display, "_NET_WM_STATE_MODAL");
    XChangeProperty(display, native, atom(display, "_NET_WM_STATE"), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&modal), 1);
    Atom closing = atom(display, "WM_DELETE_WINDOW");
    XSetWMProtocols(display, native, &closing, 1);
    pixels.assign(static_cast<size_t>(layout.width) * layout.height, 0);
    draw();
    XMapRaised(display, native);
    XFlush(display);
}

X11MessageBox::~X11MessageBox() {
    if (!native) return;
    XDestroyWindow(display, native);
    XFlush(display);
}

void X11MessageBox::draw() {
    cairo_surface_t* surface = cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(pixels.data()), CAIRO_FORMAT_ARGB32, layout.width, layout.height, layout.width * 4);
    cairo_t* cr = cairo_create(surface);
    setColour(cr, kPanel);
    cairo_paint(cr);
    setColour(cr, kSection);
    cairo_rectangle(cr, 0, layout.bandTop, layout.width, layout.height - layout.bandTop);
    cairo_fill(cr);
    setColour(cr, kSeparator);
    cairo_rectangle(cr, 0, layout.bandTop, layout.width, 1);
    cairo_fill(cr);

    setFont(cr);
    setColour(cr, kText);
    for (size_t i = 0; i < layout.lines.size(); ++i) {
        cairo_move_to(cr, layout.textLeft, layout.textTop + kBaseline + double(i) * MessageBoxLayout::kLineHeight);
        cairo_show_text(cr, layout.lines[i].c_str());
    }

    cairo_set_line_width(cr, 1.0);
    for (const MessageBoxButton& button : layout.buttons) {
        const bool first = &button == &layout.buttons.front();
        const double lighter = &button == pressed ? kPressedLighter : 0.0;
        roundedRectangle(cr, button.rect);
        setColour(cr, first ? kAccent : kSection, lighter);
        cairo_fill_preserve(cr);
        setColour(cr, first ? kAccent : kOutline, lighter);
        cairo_stroke(cr);
        setColour(cr, first ? kPanel : kText);
        drawCentred(cr, button.caption, button.rect);
    }
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    cairo_surface_destroy(surface);
}

void X11MessageBox::present() {
    Visual* visual = DefaultVisual(display, DefaultScreen(display));
    XImage* image = XCreateImage(display, visual, 24, ZPixmap, 0, reinterpret_cast<char*>(pixels.data()), layout.width,
                                 layout.height, 32, layout.width * 4);
    if (!image) return;
    GC gc = XCreateGC(display, native, 0, nullptr);
    XPutImage(display, native, gc, image, 0, 0, 0, 0, layout.width, layout.height);
    XFreeGC(display, gc);
    image->data = nullptr;  // the pixels stay the box's
    XDestroyImage(image);
    XFlush(display);
}

void X11MessageBox::choose(MessageAnswer answer) {
    chosen = answer;
    answered = true;
}

bool X11MessageBox::handle(XEvent& event) {
    switch (event.type) {
        case Expose:
            if (event.xexpose.count == 0) present();
            break;
        case MapNotify: {
            // Focus only a window the server shows; asking earlier is an error.
            XWindowAttributes attributes{};
            if (XGetWindowAttributes(display, native, &attributes) && attributes.map_state == IsViewable)
                XSetInputFocus(display, native, RevertToParent, CurrentTime);
            break;
        }
        case ButtonPress:
            if (event.xbutton.button != Button1) break;
            pressed = layout.buttonAt(event.xbutton.x, event.xbutton.y);
            draw();
            present();
            break;
        case ButtonRelease: {
            if (event.xbutton.button != Button1 || !pressed) break;
            const MessageBoxButton* released = layout.buttonAt(event.xbutton.x, event.xbutton.y);
            if (released == pressed) choose(released->answer);
            pressed = nullptr;
            draw();
            present();
            break;
        }
        case KeyPress: {
            const KeySym key = XLookupKeysym(&event.xkey, 0);
            if (key == XK_Return || key == XK_KP_Enter) choose(layout.defaultAnswer());
            if (key == XK_Escape) choose(safeAnswer(kind));
            break;
        }
        case ClientMessage:
            if (static_cast<Atom>(event.xclient.data.l[0]) == atom(display, "WM_DELETE_WINDOW"))
                choose(safeAnswer(kind));
            break;
        default: break;
    }
    return answered;
}

bool showMessageBoxAlone(const std::string& displayName, XID owner, const MessageRequest& request,
                         MessageAnswer& answer) {
    Display* own = XOpenDisplay(displayName.empty() ? nullptr : displayName.c_str());
    if (!own) return false;
    // A server that goes away takes the box with it, not the process: the
    // box then has the safe answer.
    bool lost = false;
    watchConnection(own, [](Display*, void* flag) { *static_cast<bool*>(flag) = true; }, &lost);
    bool shown = false;
    {
        X11MessageBox box(own, owner, {}, request);
        shown = box.window() != 0;
        X11EventWait wait(own, lost, -1);
        XEvent event;
        for (bool answered = !shown; !answered && wait.next(event);)
            if (event.xany.window == box.window()) answered = box.handle(event);
        answer = box.answer();
    }
    forgetConnection(own);
    XCloseDisplay(own);
    return shown;
}

}  // namespace platform
