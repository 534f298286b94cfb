#include "Platform/linux/x11/X11Connection.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <cstdlib>

namespace tactora::lx {

namespace {

// Longest property we read, in 32-bit units: enough for a window class or an application id.
constexpr long maxPropertyLength32 = 4096;

// The connection whose request runs on this thread; its X errors are ours to catch.
thread_local bool* currentRequestFailed = nullptr;
thread_local Display* currentDisplay = nullptr;

XErrorHandler previousErrorHandler = nullptr;
XIOErrorHandler previousIOErrorHandler = nullptr;
std::once_flag errorHandlersInstalled;

// Xlib has one error handler per process, and its default ends the process. Ours catches the
// errors of our own requests (a BadWindow for a window that vanished) and passes every other
// display's errors to the handler that was there before.
int onXError(Display* display, XErrorEvent* event) {
  if (currentDisplay != nullptr && display == currentDisplay) {
    *currentRequestFailed = true;
    return 0;
  }
  return previousErrorHandler != nullptr ? previousErrorHandler(display, event) : 0;
}

// The server went away. Xlib's default handler ends the process; for our own display we return,
// and so does our exit handler below, which leaves the Display unusable but the process running.
int onXIOError(Display* display) {
  if (currentDisplay != nullptr && display == currentDisplay) {
    return 0;
  }
  return previousIOErrorHandler != nullptr ? previousIOErrorHandler(display) : 0;
}

void onXIOErrorExit(Display*, void* userData) {
  static_cast<std::atomic<bool>*>(userData)->store(true);
}

struct FreeXData {
  void operator()(unsigned char* data) const { XFree(data); }
};
using XData = std::unique_ptr<unsigned char, FreeXData>;

struct Property {
  XData data;
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
};

}  // namespace

// Holds the lock for one series of requests and routes their X errors to this connection.
class X11Connection::Scope {
 public:
  explicit Scope(X11Connection& connection) : lock_(connection.mutex_) {
    connection.requestFailed_ = false;
    currentRequestFailed = &connection.requestFailed_;
    currentDisplay = connection.display_.get();
  }
  ~Scope() {
    currentRequestFailed = nullptr;
    currentDisplay = nullptr;
  }
  Scope(const Scope&) = delete;
  Scope& operator=(const Scope&) = delete;

 private:
  std::lock_guard<std::mutex> lock_;
};

void X11Connection::CloseDisplay::operator()(Display* display) const {
  XCloseDisplay(display);
}

std::shared_ptr<X11Connection> X11Connection::open(const std::string& displayName) {
  const char* name = displayName.empty() ? std::getenv("DISPLAY") : displayName.c_str();
  if (name == nullptr || *name == '\0') {
    return nullptr;
  }
  std::call_once(errorHandlersInstalled, [] {
    previousErrorHandler = XSetErrorHandler(onXError);
    previousIOErrorHandler = XSetIOErrorHandler(onXIOError);
  });
  Display* display = XOpenDisplay(name);
  if (display == nullptr) {
    return nullptr;
  }
  return std::shared_ptr<X11Connection>(new X11Connection(display));
}

X11Connection::X11Connection(Display* display) : display_(display) {
  root_ = DefaultRootWindow(display);
  XSetIOErrorExitHandler(display, onXIOErrorExit, &broken_);
}

X11Connection::~X11Connection() {
  // Closing flushes; a request that fails on the way out is still ours to catch.
  Scope scope(*this);
  display_.reset();
}

X11Connection::Atom X11Connection::atom(const char* name) {
  const auto it = atoms_.find(name);
  if (it != atoms_.end()) {
    return it->second;
  }
  const Atom atom = XInternAtom(display_.get(), name, False);
  if (atom != None) {
    atoms_.emplace(name, atom);
  }
  return atom;
}

namespace {

std::optional<Property> readProperty(Display* display, Window window, Atom property,
                                     const bool& failed) {
  Property result;
  unsigned char* data = nullptr;
  unsigned long bytesAfter = 0;
  const int status =
      XGetWindowProperty(display, window, property, 0, maxPropertyLength32, False, AnyPropertyType,
                         &result.type, &result.format, &result.count, &bytesAfter, &data);
  result.data.reset(data);
  if (status != Success || failed || result.type == None || result.data == nullptr) {
    return std::nullopt;
  }
  return result;
}

}  // namespace

std::optional<std::vector<unsigned long>> X11Connection::cardinals(Window window,
                                                                   const char* property) {
  Scope scope(*this);
  if (broken() || window == None) {
    return std::nullopt;
  }
  const auto read = readProperty(display_.get(), window, atom(property), requestFailed_);
  if (!read || read->format != 32) {
    return std::nullopt;
  }
  // Xlib hands 32-bit items over as longs.
  const auto* items = reinterpret_cast<const unsigned long*>(read->data.get());
  return std::vector<unsigned long>(items, items + read->count);
}

std::optional<std::string> X11Connection::bytes(Window window, const char* property) {
  Scope scope(*this);
  if (broken() || window == None) {
    return std::nullopt;
  }
  const auto read = readProperty(display_.get(), window, atom(property), requestFailed_);
  if (!read || read->format != 8) {
    return std::nullopt;
  }
  return std::string(reinterpret_cast<const char*>(read->data.get()), read->count);
}

bool X11Connection::exists(Window window) {
  Scope scope(*this);
  if (broken() || window == None) {
    return false;
  }
  XWindowAttributes attributes{};
  return XGetWindowAttributes(display_.get(), window, &attributes) != 0 && !requestFailed_;
}

bool X11Connection::supports(const char* hint) {
  const auto supported = cardinals(root_, "_NET_SUPPORTED");
  if (!supported) {
    return false;
  }
  Atom wanted = None;
  {
    Scope scope(*this);
    wanted = atom(hint);
  }
  return std::find(supported->begin(), supported->end(), wanted) != supported->end();
}

bool X11Connection::sendToRoot(Window window, const char* messageType,
                               const std::array<long, 5>& data) {
  Scope scope(*this);
  if (broken()) {
    return false;
  }
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = atom(messageType);
  event.xclient.format = 32;
  std::copy(data.begin(), data.end(), event.xclient.data.l);
  const Status sent = XSendEvent(display_.get(), root_, False,
                                 SubstructureRedirectMask | SubstructureNotifyMask, &event);
  // Sync, so an error about the request is seen here and not by a later, unrelated one.
  XSync(display_.get(), False);
  return sent != 0 && !requestFailed_ && !broken();
}

std::optional<X11Connection::PointerState> X11Connection::queryPointer() {
  Scope scope(*this);
  if (broken()) {
    return std::nullopt;
  }
  Window rootReturn = None;
  Window child = None;
  int winX = 0;
  int winY = 0;
  PointerState state;
  // False only says the pointer is on another screen's root; the coordinates are then relative
  // to that root, which on a single-screen display is ours.
  XQueryPointer(display_.get(), root_, &rootReturn, &child, &state.rootX, &state.rootY, &winX,
                &winY, &state.modifierMask);
  if (requestFailed_ || broken() || rootReturn == None) {
    return std::nullopt;
  }
  return state;
}

std::optional<std::array<std::vector<unsigned long>, 8>> X11Connection::modifierKeysyms() {
  Scope scope(*this);
  if (broken()) {
    return std::nullopt;
  }
  XModifierKeymap* map = XGetModifierMapping(display_.get());
  if (map == nullptr) {
    return std::nullopt;
  }
  std::array<std::vector<unsigned long>, 8> keysyms;
  for (int modifier = 0; modifier < 8; ++modifier) {
    for (int i = 0; i < map->max_keypermod; ++i) {
      const KeyCode code = map->modifiermap[modifier * map->max_keypermod + i];
      const KeySym keysym = code != 0 ? XkbKeycodeToKeysym(display_.get(), code, 0, 0) : NoSymbol;
      if (keysym != NoSymbol) {
        keysyms[static_cast<std::size_t>(modifier)].push_back(keysym);
      }
    }
  }
  XFreeModifiermap(map);
  if (requestFailed_ || broken()) {
    return std::nullopt;
  }
  return keysyms;
}

bool X11Connection::keyboardMappingChanged() {
  Scope scope(*this);
  if (broken()) {
    return false;
  }
  bool changed = false;
  XEvent event{};
  while (XCheckTypedEvent(display_.get(), MappingNotify, &event)) {
    // Keeps Xlib's own copy of the keysyms current, which the next read goes through.
    XRefreshKeyboardMapping(&event.xmapping);
    changed = true;
  }
  return changed;
}

}  // namespace tactora::lx
