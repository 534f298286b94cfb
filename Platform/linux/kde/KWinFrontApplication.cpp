#include "Platform/linux/kde/KWinFrontApplication.h"

#include <systemd/sd-bus.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <utility>

#include "Platform/AtomicFile.h"
#include "Platform/Logger.h"
#include "Platform/linux/bus/BusConnection.h"

namespace tactora::lx {

namespace {

constexpr platform::Logger logger{"KWinFrontApplication"};

constexpr const char* scriptingPath = "/Scripting";
constexpr const char* scriptingInterface = "org.kde.kwin.Scripting";
constexpr const char* scriptInterface = "org.kde.kwin.Script";

// A replaced KWin owns its bus name some 100 ms before it serves /Scripting; a KWin starting on a
// loaded machine may take seconds. Tries come quickly at first and then every few seconds, for a
// minute at most.
constexpr std::chrono::milliseconds firstRetryDelay{100};
constexpr std::chrono::milliseconds longestRetryDelay{3000};
constexpr std::chrono::seconds retryPeriod{60};

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
             window ? text(window.desktopFileName) : "", window ? text(window.resourceName) : "",
             window ? text(window.resourceClass) : "");
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
// `read` (when given) reads; a negative errno on failure, told in words in `failure`.
int callKWin(const BusConnection& bus, const char* path, const char* interface, const char* member,
             std::initializer_list<const char*> arguments, std::chrono::microseconds timeout,
             const BusConnection::Read& read = nullptr, std::string* failure = nullptr) {
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
      read, failure);
}

}  // namespace

// Every handle the thread works with, made on the thread: the bus, its slots and the script's
// file.
class KWinFrontApplication::Connection {
 public:
  Connection() = default;
  ~Connection() {
    sd_bus_slot_unref(ownerMatch_);
    sd_bus_slot_unref(object_);
    bus_.reset();
    if (!scriptPath_.empty()) {
      ::unlink(scriptPath_.c_str());
    }
  }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  std::optional<BusConnection> bus_;
  sd_bus_slot* object_ = nullptr;
  sd_bus_slot* ownerMatch_ = nullptr;
  std::string scriptPath_;
  std::string pluginName_;
  std::string kwinOwner_;  // the unique name of KWin's connection; empty while there is none
  bool reloadPending_ = false;
  // While KWin's scripting service has not answered: when the next try is due, the delay after
  // it, and when the tries began.
  std::optional<std::chrono::steady_clock::time_point> retryAt_;
  std::chrono::milliseconds retryDelay_ = firstRetryDelay;
  std::chrono::steady_clock::time_point loadingSince_;
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
  if (!thread_.start(threadName, [this](PollThread& thread) { run(thread); })) {
    logger.notice("cannot follow the focused application (%{public}s)",
                  {std::string(std::strerror(errno))});
    ended_ = true;
    giveUpReport();
  }
}

KWinFrontApplication::~KWinFrontApplication() {
  thread_.stop();
}

std::string KWinFrontApplication::script(std::string_view service) {
  std::string text(scriptTemplate);
  replaceAll(text, "@SERVICE@", service);
  replaceAll(text, "@PATH@", objectPath);
  replaceAll(text, "@INTERFACE@", interfaceName);
  return text;
}

bool KWinFrontApplication::awaitReport(std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  return reported_.wait_for(lock, timeout, [this] { return latest_ || gaveUp_; }) &&
         latest_.has_value();
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
  return index_->idForWindowClass(latest->resourceName, latest->resourceClass);
}

struct KWinBusHandlers {
  static int onActivated(sd_bus_message* message, void* self, sd_bus_error* error);
  static int onNameOwnerChanged(sd_bus_message* message, void* self, sd_bus_error* error);
};

int KWinBusHandlers::onActivated(sd_bus_message* message, void* self, sd_bus_error* error) {
  auto& front = *static_cast<KWinFrontApplication*>(self);
  const char* sender = sd_bus_message_get_sender(message);
  if (sender == nullptr || front.connection_->kwinOwner_ != sender) {
    logger.debug("an activation report from %{public}s, which is not KWin, was refused",
                 {std::string(sender != nullptr ? sender : "(unknown)")});
    return sd_bus_error_set(error, SD_BUS_ERROR_ACCESS_DENIED, "only KWin reports activations");
  }
  const char* desktopFileName = nullptr;
  const char* resourceName = nullptr;
  const char* resourceClass = nullptr;
  if (const int result =
          sd_bus_message_read(message, "sss", &desktopFileName, &resourceName, &resourceClass);
      result < 0) {
    return result;
  }
  front.activated({desktopFileName, resourceName, resourceClass});
  return sd_bus_reply_method_return(message, "");
}

int KWinBusHandlers::onNameOwnerChanged(sd_bus_message* message, void* self, sd_bus_error*) {
  const char* name = nullptr;
  const char* oldOwner = nullptr;
  const char* newOwner = nullptr;
  if (sd_bus_message_read(message, "sss", &name, &oldOwner, &newOwner) >= 0 &&
      std::strcmp(name, KWinFrontApplication::kwinService) == 0) {
    static_cast<KWinFrontApplication*>(self)->kwinOwnerChanged(newOwner);
  }
  return 0;
}

void KWinFrontApplication::activated(Activation activation) {
  {
    const std::scoped_lock lock(mutex_);
    latest_ = std::move(activation);
  }
  activations_.fetch_add(1);
  reported_.notify_all();
}

void KWinFrontApplication::giveUpReport() {
  {
    const std::scoped_lock lock(mutex_);
    gaveUp_ = true;
  }
  reported_.notify_all();
}

void KWinFrontApplication::kwinOwnerChanged(std::string owner) {
  // Whatever the old KWin reported is stale, and its script went with it.
  {
    const std::scoped_lock lock(mutex_);
    latest_.reset();
    gaveUp_ = owner.empty();
  }
  reported_.notify_all();
  scriptRunning_ = false;
  Connection& connection = *connection_;
  connection.kwinOwner_ = std::move(owner);
  connection.reloadPending_ = !connection.kwinOwner_.empty();
  connection.retryAt_.reset();
  connection.retryDelay_ = firstRetryDelay;
  connection.loadingSince_ = std::chrono::steady_clock::now();
}

std::optional<std::string> KWinFrontApplication::writeScript(const char* service) {
  // Named after the process and the instance: a file of its own for every instance, which a
  // crashed process with the same id leaves only to be replaced.
  static std::atomic<unsigned> instances{0};
  std::string path = scriptDirectory_ + "/tactora-kwin-" + std::to_string(::getpid()) + "-" +
                     std::to_string(instances.fetch_add(1)) + ".js";
  if (auto error = platform::AtomicFile::write(path, script(service))) {
    return error;
  }
  connection_->scriptPath_ = std::move(path);
  return std::nullopt;
}

KWinFrontApplication::LoadResult KWinFrontApplication::loadScript(std::string* failure) {
  const BusConnection& bus = *connection_->bus_;
  std::int32_t id = -1;
  int result = callKWin(
      bus, scriptingPath, scriptingInterface, "loadScript",
      {connection_->scriptPath_.c_str(), connection_->pluginName_.c_str()}, timeout_,
      [&id](sd_bus_message* reply) { return sd_bus_message_read(reply, "i", &id); }, failure);
  if (result < 0) {
    return LoadResult::failed;
  }
  if (id < 0) {
    *failure = "KWin refused to load it";
    return LoadResult::refused;
  }

  // Plasma 6 serves each loaded script below /Scripting, Plasma 5 at the root.
  for (const auto& path : {"/Scripting/Script" + std::to_string(id), "/" + std::to_string(id)}) {
    if (thread_.stopping()) {
      return LoadResult::failed;
    }
    result = callKWin(bus, path.c_str(), scriptInterface, "run", {}, timeout_, nullptr, failure);
    if (result >= 0) {
      scriptRunning_ = true;
      return LoadResult::running;
    }
  }
  *failure = "KWin loaded it but did not start it: " + *failure;
  unloadScript();
  return LoadResult::failed;
}

void KWinFrontApplication::tryLoading() {
  Connection& connection = *connection_;
  std::string failure;
  switch (loadScript(&failure)) {
    case LoadResult::running:
      return;
    case LoadResult::refused:
      // KWin refuses a plugin name it already has loaded, and the name is this process's own: an
      // earlier attempt that timed out here (a busy KWin) got through after all. Unload it and
      // try again like any other failure.
      unloadScript();
      break;
    case LoadResult::failed:
      break;
  }
  const auto now = std::chrono::steady_clock::now();
  if (now + connection.retryDelay_ - connection.loadingSince_ > retryPeriod) {
    logger.notice(
        "KWin did not load the front-application script %{public}s within %{public}d s "
        "(%{public}s): the focused application is not known until KWin restarts",
        {connection.scriptPath_, static_cast<std::int64_t>(retryPeriod.count()), failure});
    giveUpReport();
    return;
  }
  logger.debug(
      "KWin did not load the front-application script yet (%{public}s); trying again "
      "in %{public}d ms",
      {failure, static_cast<std::int64_t>(connection.retryDelay_.count())});
  connection.retryAt_ = now + connection.retryDelay_;
  connection.retryDelay_ = std::min(connection.retryDelay_ * 2, longestRetryDelay);
}

void KWinFrontApplication::unloadScript() {
  callKWin(*connection_->bus_, scriptingPath, scriptingInterface, "unloadScript",
           {connection_->pluginName_.c_str()}, timeout_);
}

void KWinFrontApplication::run(PollThread& thread) {
  logger.debug("following the focused application through a KWin script in %{public}s",
               {scriptDirectory_});
  Connection& connection = *connection_;
  const auto end = [this] {
    ended_ = true;
    giveUpReport();
  };
  connection.bus_ = BusConnection::connect();
  if (!connection.bus_) {
    logger.notice("no session bus: the front application is not known on this desktop");
    end();
    return;
  }
  sd_bus* bus = connection.bus_->get();

  static const sd_bus_vtable vtable[] = {
      SD_BUS_VTABLE_START(0),
      SD_BUS_METHOD("Activated", "sss", "", KWinBusHandlers::onActivated,
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
  std::optional<std::string> failure;
  if (result < 0) {
    failure = errorText(result);
  } else {
    failure = writeScript(unique);
  }
  if (failure) {
    logger.notice("the front application is not known on this desktop: %{public}s", {*failure});
    end();
    return;
  }
  // ":1.42" gives "tactora-front-application-1.42": unique on this bus, so never another
  // process's script.
  connection.pluginName_ = std::string(pluginNamePrefix) + "-" + (unique + 1);

  kwinOwnerChanged(connection.bus_->owner(kwinService, timeout_).value_or(""));
  for (;;) {
    result = connection.bus_->process();
    const auto now = std::chrono::steady_clock::now();
    if (result >= 0 && !thread.stopping() &&
        (connection.reloadPending_ || (connection.retryAt_ && now >= *connection.retryAt_))) {
      // Calls that arrive while KWin is asked are handled on the next pass.
      connection.reloadPending_ = false;
      connection.retryAt_.reset();
      tryLoading();
      continue;
    }
    if (result >= 0) {
      std::optional<std::chrono::milliseconds> limit;
      if (connection.retryAt_) {
        limit = std::chrono::ceil<std::chrono::milliseconds>(*connection.retryAt_ - now);
      }
      result = connection.bus_->wait(thread, limit);
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
  end();
}

}  // namespace tactora::lx
