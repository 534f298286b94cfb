#include "Platform/linux/x11/EwmhWindowManager.h"

namespace tactora::lx {

namespace {

// The request comes from a pager or taskbar (source indication 2): a direct user action, which
// window managers obey without focus-stealing checks.
constexpr long sourcePager = 2;
constexpr long currentTime = 0;

std::optional<unsigned long> firstItem(X11Connection& connection, const char* property) {
  const auto items = connection.cardinals(connection.root(), property);
  if (!items || items->empty()) {
    return std::nullopt;
  }
  return items->front();
}

}  // namespace

EwmhWindowManager::Functions EwmhWindowManager::functions(
    const std::shared_ptr<X11Connection>& connection) {
  Functions functions;
  if (connection == nullptr || connection->broken()) {
    return functions;
  }
  auto manager = std::make_shared<EwmhWindowManager>(connection);
  if (connection->supports("_NET_CLOSE_WINDOW")) {
    functions.closeActiveWindow = [manager] { return manager->closeActiveWindow(); };
  }
  if (connection->supports("_NET_CURRENT_DESKTOP") &&
      connection->supports("_NET_NUMBER_OF_DESKTOPS")) {
    functions.switchWorkspace = [manager](Direction d) { return manager->switchWorkspace(d); };
  }
  if (connection->supports("_NET_SHOWING_DESKTOP")) {
    functions.toggleShowingDesktop = [manager] { return manager->toggleShowingDesktop(); };
  }
  return functions;
}

EwmhWindowManager::EwmhWindowManager(std::shared_ptr<X11Connection> connection)
    : connection_(std::move(connection)) {}

bool EwmhWindowManager::closeActiveWindow() {
  const auto active = firstItem(*connection_, "_NET_ACTIVE_WINDOW");
  if (!active || *active == 0 || !connection_->exists(*active)) {
    return false;
  }
  return connection_->sendToRoot(*active, "_NET_CLOSE_WINDOW", {currentTime, sourcePager, 0, 0, 0});
}

bool EwmhWindowManager::switchWorkspace(Direction direction) {
  const auto count = firstItem(*connection_, "_NET_NUMBER_OF_DESKTOPS");
  const auto current = firstItem(*connection_, "_NET_CURRENT_DESKTOP");
  if (!count || !current || *current >= *count) {
    return false;
  }
  unsigned long target = *current;
  switch (direction) {
    case Direction::left:
      if (target == 0) {
        return false;
      }
      --target;
      break;
    case Direction::right:
      if (target + 1 >= *count) {
        return false;
      }
      ++target;
      break;
  }
  return connection_->sendToRoot(connection_->root(), "_NET_CURRENT_DESKTOP",
                                 {static_cast<long>(target), currentTime, 0, 0, 0});
}

bool EwmhWindowManager::toggleShowingDesktop() {
  const auto showing = firstItem(*connection_, "_NET_SHOWING_DESKTOP").value_or(0);
  return connection_->sendToRoot(connection_->root(), "_NET_SHOWING_DESKTOP",
                                 {showing != 0 ? 0 : 1, 0, 0, 0, 0});
}

}  // namespace tactora::lx
