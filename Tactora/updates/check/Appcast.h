#pragma once

#include <QByteArray>
#include <optional>
#include <string>
#include <vector>

namespace tactora {

// An appcast feed: an RSS document whose items are releases. Each item gives its version in the
// Sparkle namespace, as attributes of its <enclosure> or as elements of its own, and its release
// page as <sparkle:releaseNotesLink> or <link>.
struct Appcast {
  struct Item {
    std::string title;
    std::string version;                      // sparkle:version
    std::optional<std::string> shortVersion;  // sparkle:shortVersionString
    std::optional<std::string> releasePage;   // http or https only; other schemes are dropped

    // The version a person reads and the check compares: the short version when there is one.
    const std::string& displayVersion() const { return shortVersion ? *shortVersion : version; }
    friend bool operator==(const Item&, const Item&) = default;
  };

  static constexpr const char* sparkleNamespace =
      "http://www.andymatuschak.org/xml-namespaces/sparkle";

  // The feed's items in document order; nothing, with `error` saying where and what, when the
  // data is not a well-formed RSS document.
  static std::optional<Appcast> parse(const QByteArray& data, std::string& error);

  std::vector<Item> items;
};

}  // namespace tactora
