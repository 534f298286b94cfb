#include "Platform/linux/x11/X11FrontApplication.h"

#include <string_view>

namespace tactora::lx {

namespace {

// A text property's value up to its first NUL (strings may be stored NUL-terminated).
std::string_view firstString(std::string_view bytes) {
  return bytes.substr(0, bytes.find('\0'));
}

}  // namespace

X11FrontApplication::X11FrontApplication(std::shared_ptr<X11Connection> connection,
                                         std::shared_ptr<const ApplicationIndex> index)
    : connection_(std::move(connection)), index_(std::move(index)) {}

std::optional<std::string> X11FrontApplication::activeApplicationId() {
  const auto active = connection_->cardinals(connection_->root(), "_NET_ACTIVE_WINDOW");
  if (!active || active->empty() || active->front() == 0) {
    return std::nullopt;
  }
  const X11Connection::Window window = active->front();

  if (const auto gtk = connection_->bytes(window, "_GTK_APPLICATION_ID")) {
    if (const auto id = firstString(*gtk); !id.empty()) {
      return std::string(id);
    }
  }
  if (const auto kde = connection_->bytes(window, "_KDE_NET_WM_DESKTOP_FILE")) {
    auto id = firstString(*kde);
    if (id.ends_with(".desktop")) {
      id.remove_suffix(std::string_view(".desktop").size());
    }
    if (!id.empty()) {
      return std::string(id);
    }
  }
  // WM_CLASS holds two NUL-terminated strings: the instance ("Navigator"), then the class
  // ("firefox").
  const auto wmClass = connection_->bytes(window, "WM_CLASS");
  if (!wmClass) {
    return std::nullopt;
  }
  const std::string_view bytes = *wmClass;
  const auto instance = firstString(bytes);
  const auto windowClass =
      instance.size() < bytes.size() ? firstString(bytes.substr(instance.size() + 1)) : "";
  return index_->idForWindowClass(instance, windowClass);
}

}  // namespace tactora::lx
