#include "Platform/linux/kde/KWinFrontApplication.h"

#include <pthread.h>
#include <stdlib.h>
#include <sys/eventfd.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <utility>

#include "Platform/Logger.h"
#include "Platform/linux/bus/BusConnection.h"

namespace tactora::lx {

namespace {

constexpr platform::Logger logger{"KWinFrontApplication"};

constexpr const char* scriptingPath = "/Scripting";
constexpr const char* scriptingInterface = "org.kde.kwin.Scripting";
constexpr const char* scriptInterface = "org.kde.kwin.Script";

// Plasma 5 resolves `resourceClass` to bytes, which reach the script as an ArrayBuffer; Plasma 6
// gives a string. Plasma 6 names windows "window", Plasma 5 "client".
constexpr std::string_view scriptTemplate =
    R"js(// Written by Tactora while it runs: reports the application of each window KWin activates.
(function () {
  function text(value) {
    if (value === undefined || value === null) {
      return "";
    }
    if (typeof value === "string") {
      return value;
    }
    if (typeof ArrayBuffer !== "undefined" && value instanceof ArrayBuffer) {
      return String.fromCharCode.apply(null, new Uint8Array(value));
    }
    return String(value);
  }
  function report(window) {
    callDBus("@SERVICE@", "@PATH@", "@INTERFACE@", "Activated",
             window ? text(window.desktopFileName) : "", window ? text(window.resourceClass) : "");
  }
  var activated = workspace.windowActivated || workspace.clientActivated;
  activated.connect(report);
  report(workspace.activeWindow !== undefined ? workspace.activeWindow : workspace.activeClient);
})();
)js";

void replaceAll(std::string& text, std::string_view placeholder, std::string_view value) {
  for (auto at = text.find(placeholder); at != std::string::npos;
       at = text.find(placeholder, at + value.size())) {
    text.replace(at, placeholder.size(), value);
  }
}

// KWin's desktop file name is normally an id ("org.kde.dolphin"), but applications may set a
// file name or a whole path.
std::string desktopFileId(std::string name) {
  if (const auto slash = name.rfind('/'); slash != std::string::npos) {
    name.erase(0, slash + 1);
  }
  if (name.ends_with(".desktop")) {
    name.resize(name.size() - std::string_view(".desktop").size());
  }
  return name;
}

std::string errorText(int negativeErrno) {
  return std::strerror(-negativeErrno);
}

// Calls `member` on KWin with string arguments, waiting at most `timeout` for its reply, which
// `read` (when given) reads; a negative errno on failure.
int callKWin(const BusConnection& bus, const char* path, const char* interface, const char* member,
             std::initializer_list<const char*> arguments, std::chrono::microseconds timeout,
             const BusConnection::Read& read = nullptr) {
  return bus.call(
      {KWinFrontApplication::kwinService, path, interface, member}, timeout,
      [arguments](sd_bus_message* request) {
        for (const char* argument : arguments) {
          if (const int result = sd_bus_message_append(request, "s", argument); result < 0) {
            return result;
          }
        }
        return 0;
      },
      read);
}

}  // namespace

// Every handle the thread works with: the wake-up descriptor (made at once, so destruction can
// always reach the thread), and the bus, its slots and the script's file (made on the thread).
class KWinFrontApplication::Connection {
 public:
  Connection() : wakeUp_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
  ~Connection() {
    sd_bus_slot_unref(ownerMatch_);
    sd_bus_slot_unref(object_);
    bus_.reset();
    if (!scriptPath_.empty()) {
      ::unlink(scriptPath_.c_str());
    }
    if (wakeUp_ >= 0) {
      ::close(wakeUp_);
    }
  }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  int wakeUp() const { return wakeUp_; }
  void signalStop() {
    stopping_ = true;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeUp_, &one, sizeof one);
  }
  bool stopping() const { return stopping_.load(); }

  std::optional<BusConnection> bus_;
  sd_bus_slot* object_ = nullptr;
  sd_bus_slot* ownerMatch_ = nullptr;
  std::string scriptPath_;
  bool reloadPending_ = false;

 private:
  int wakeUp_;
  std::atomic<bool> stopping_{false};
};

KWinFrontApplication::KWinFrontApplication(std::shared_ptr<const ApplicationIndex> index,
                                           std::string scriptDirectory,
                                           std::chrono::microseconds timeout)
    : index_(std::move(index)),
      scriptDirectory_(std::move(scriptDirectory)),
      timeout_(timeout),
      connection_(std::make_unique<Connection>()) {
  if (scriptDirectory_.empty()) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    scriptDirectory_ = runtime != nullptr && runtime[0] == '/'
                           ? std::string(runtime)
                           : std::filesystem::temp_directory_path().string();
  }
  thread_ = std::thread([this] { run(); });
}

KWinFrontApplication::~KWinFrontApplication() {
  connection_->signalStop();
  thread_.join();
}

std::string KWinFrontApplication::script(std::string_view service) {
  std::string text(scriptTemplate);
  replaceAll(text, "@SERVICE@", service);
  replaceAll(text, "@PATH@", objectPath);
  replaceAll(text, "@INTERFACE@", interfaceName);
  return text;
}

std::optional<std::string> KWinFrontApplication::frontApplication() const {
  std::optional<Activation> latest;
  {
    const std::scoped_lock lock(mutex_);
    latest = latest_;
  }
  if (!latest) {
    return std::nullopt;
  }
  if (auto id = desktopFileId(latest->desktopFileName); !id.empty()) {
    return id;
  }
  if (latest->resourceClass.empty() || !index_) {
    return std::nullopt;
  }
  return index_->idForWindowClass({}, latest->resourceClass);
}

struct KWinBusHandlers {
  static int onActivated(sd_bus_message* message, void* self, sd_bus_error* error);
  static int onNameOwnerChanged(sd_bus_message* message, void* self, sd_bus_error* error);
};

int KWinBusHandlers::onActivated(sd_bus_message* message, void* self, sd_bus_error*) {
  const char* desktopFileName = nullptr;
  const char* resourceClass = nullptr;
  if (const int result = sd_bus_message_read(message, "ss", &desktopFileName, &resourceClass);
      result < 0) {
    return result;
  }
  static_cast<KWinFrontApplication*>(self)->activated({desktopFileName, resourceClass});
  return sd_bus_reply_method_return(message, "");
}

int KWinBusHandlers::onNameOwnerChanged(sd_bus_message* message, void* self, sd_bus_error*) {
  const char* name = nullptr;
  const char* oldOwner = nullptr;
  const char* newOwner = nullptr;
  if (sd_bus_message_read(message, "sss", &name, &oldOwner, &newOwner) >= 0 &&
      std::strcmp(name, KWinFrontApplication::kwinService) == 0) {
    static_cast<KWinFrontApplication*>(self)->kwinOwnerChanged(newOwner[0] != '\0');
  }
  return 0;
}

void KWinFrontApplication::activated(Activation activation) {
  {
    const std::scoped_lock lock(mutex_);
    latest_ = std::move(activation);
  }
  activations_.fetch_add(1);
}

void KWinFrontApplication::kwinOwnerChanged(bool present) {
  // Whatever the old KWin reported is stale, and its script went with it.
  {
    const std::scoped_lock lock(mutex_);
    latest_.reset();
  }
  scriptRunning_ = false;
  connection_->reloadPending_ = present;
}

int KWinFrontApplication::writeScript(const char* service) {
  std::string path = scriptDirectory_ + "/tactora-kwin-XXXXXX.js";
  const int fd = ::mkstemps(path.data(), 3);
  if (fd < 0) {
    return -errno;
  }
  const std::string text = script(service);
  std::size_t written = 0;
  while (written < text.size()) {
    const ssize_t count = ::write(fd, text.data() + written, text.size() - written);
    if (count < 0 && errno != EINTR) {
      const int error = errno;
      ::close(fd);
      ::unlink(path.c_str());
      return -error;
    }
    written += count > 0 ? static_cast<std::size_t>(count) : 0;
  }
  ::close(fd);
  connection_->scriptPath_ = std::move(path);
  return 0;
}

bool KWinFrontApplication::loadScript() {
  const BusConnection& bus = *connection_->bus_;
  // A script of ours left behind by a previous run keeps its name taken; KWin refuses to load a
  // second one under it.
  unloadScript();
  if (connection_->stopping()) {
    return false;
  }
  std::int32_t id = -1;
  int result =
      callKWin(bus, scriptingPath, scriptingInterface, "loadScript",
               {connection_->scriptPath_.c_str(), pluginName}, timeout_,
               [&id](sd_bus_message* reply) { return sd_bus_message_read(reply, "i", &id); });
  if (result < 0 || id < 0) {
    logger.notice(
        "KWin did not load the front-application script %{public}s (%{public}s)",
        {connection_->scriptPath_, result < 0 ? errorText(result) : std::string("refused")});
    return false;
  }

  // Plasma 6 serves each loaded script below /Scripting, Plasma 5 at the root.
  for (const auto& path : {"/Scripting/Script" + std::to_string(id), "/" + std::to_string(id)}) {
    if (connection_->stopping()) {
      return false;
    }
    result = callKWin(bus, path.c_str(), scriptInterface, "run", {}, timeout_);
    if (result >= 0) {
      scriptRunning_ = true;
      return true;
    }
  }
  logger.notice("KWin loaded the front-application script but did not start it (%{public}s)",
                {errorText(result)});
  unloadScript();
  return false;
}

void KWinFrontApplication::unloadScript() {
  callKWin(*connection_->bus_, scriptingPath, scriptingInterface, "unloadScript", {pluginName},
           timeout_);
}

void KWinFrontApplication::run() {
  ::pthread_setname_np(::pthread_self(), threadName);
  Connection& connection = *connection_;
  connection.bus_ = connection.wakeUp() < 0 ? std::nullopt : BusConnection::connect();
  if (!connection.bus_) {
    logger.notice("no session bus: the front application is not known on this desktop");
    ended_ = true;
    return;
  }
  sd_bus* bus = connection.bus_->get();

  static const sd_bus_vtable vtable[] = {
      SD_BUS_VTABLE_START(0),
      SD_BUS_METHOD("Activated", "ss", "", KWinBusHandlers::onActivated,
                    SD_BUS_VTABLE_UNPRIVILEGED),
      SD_BUS_VTABLE_END};
  int result =
      sd_bus_add_object_vtable(bus, &connection.object_, objectPath, interfaceName, vtable, this);
  if (result >= 0) {
    result = sd_bus_add_match(bus, &connection.ownerMatch_,
                              "type='signal',sender='org.freedesktop.DBus',"
                              "path='/org/freedesktop/DBus',interface='org.freedesktop.DBus',"
                              "member='NameOwnerChanged',arg0='org.kde.KWin'",
                              KWinBusHandlers::onNameOwnerChanged, this);
  }
  const char* unique = nullptr;
  if (result >= 0) {
    result = sd_bus_get_unique_name(bus, &unique);
  }
  if (result >= 0) {
    result = writeScript(unique);
  }
  if (result < 0) {
    logger.notice("the front application is not known on this desktop: %{public}s",
                  {errorText(result)});
    ended_ = true;
    return;
  }

  connection.reloadPending_ = connection.bus_->owner(kwinService, timeout_).has_value();
  for (;;) {
    result = connection.bus_->process();
    if (result >= 0 && connection.reloadPending_ && !connection.stopping()) {
      // Calls that arrive while KWin is asked are handled on the next pass.
      connection.reloadPending_ = false;
      loadScript();
      continue;
    }
    if (result >= 0) {
      result = connection.bus_->wait(connection.wakeUp());
    }
    if (result < 0) {
      logger.notice("the session bus went away (%{public}s): the front application is not known",
                    {errorText(result)});
      break;
    }
    if (result > 0) {
      if (scriptRunning_) {
        unloadScript();
        scriptRunning_ = false;
      }
      break;
    }
  }
  ended_ = true;
}

}  // namespace tactora::lx
