#include "Tactora/updates/check/Appcast.h"

#include <gtest/gtest.h>

#include "Tactora/updates/check/AppVersion.h"

namespace tactora {
namespace {

TEST(AppVersion, ComparesComponentsAsNumbers) {
  const auto v = [](const char* text) { return AppVersion::parse(text).value(); };
  EXPECT_GT(v("2.10"), v("2.9"));
  EXPECT_EQ(v("2.1"), v("2.1.0"));
  EXPECT_GT(v("2.1.1"), v("2.1"));
  // Digits and dots alone: a feed's version is shown to the user.
  for (const char* invalid : {"", "v1.2", "2.1-beta", "1..2", ".1", "1.", "1.x",
                              "99999999999999999999", "99.0 <a href=\"file:///etc\">go</a>"}) {
    EXPECT_FALSE(AppVersion::parse(invalid).has_value()) << invalid;
  }
}

constexpr const char* header =
    R"(<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">
<channel><title>Tactora</title>)";

QByteArray feed(const std::string& items) {
  return QByteArray::fromStdString(header + items + "</channel></rss>");
}

TEST(Appcast, ReadsVersionsAndReleasePagesFromEachWayOfWritingThem) {
  using Item = Appcast::Item;
  struct Case {
    const char* name;
    std::string items;
    std::vector<Item> expected;
  };
  const std::vector<Case> cases = {
      {"enclosure attributes",
       R"(<item><title>Tactora 2.1</title><link>https://example.org/2.1</link>
          <enclosure url="https://example.org/t.tar.gz" sparkle:version="57"
                     sparkle:shortVersionString="2.1" length="1" type="application/octet-stream"/>
          </item>)",
       {{"Tactora 2.1", "57", "2.1", "https://example.org/2.1"}}},
      {"elements win over attributes; release notes win over the link",
       R"(<item><title>T</title><sparkle:version>60</sparkle:version>
          <sparkle:shortVersionString>2.2</sparkle:shortVersionString>
          <sparkle:releaseNotesLink>https://example.org/notes</sparkle:releaseNotesLink>
          <link>https://example.org/page</link>
          <enclosure sparkle:version="1" sparkle:shortVersionString="0.1"/></item>)",
       {{"T", "60", "2.2", "https://example.org/notes"}}},
      {"no short version; unsafe links dropped",
       R"(<item><sparkle:version>3.0</sparkle:version><link>javascript:alert(1)</link></item>
          <item><sparkle:version>3.1</sparkle:version><link>file:///etc/passwd</link></item>)",
       {{"", "3.0", std::nullopt, std::nullopt}, {"", "3.1", std::nullopt, std::nullopt}}},
      {"another prefix for the same namespace",
       R"(<item xmlns:s="http://www.andymatuschak.org/xml-namespaces/sparkle">
          <s:version>4</s:version><unknown><nested/></unknown></item>)",
       {{"", "4", std::nullopt, std::nullopt}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string error;
    const std::optional<Appcast> appcast = Appcast::parse(feed(c.items), error);
    ASSERT_TRUE(appcast.has_value()) << error;
    EXPECT_EQ(appcast->items, c.expected);
  }
  EXPECT_EQ((Item{"", "57", "2.1", std::nullopt}).displayVersion(), "2.1");
  EXPECT_EQ((Item{"", "57", std::nullopt, std::nullopt}).displayVersion(), "57");
}

TEST(Appcast, MalformedDocumentsAreRejectedWithTheirPlace) {
  const std::vector<std::pair<QByteArray, std::string>> cases = {
      {"", "line 1, column 0: Premature end of document"},
      {"<html><body>Not found</body></html>",
       "the document is not an RSS feed (its root element is <html>)"},
      {"<rss><item>", "line 1, column 11: "},
      {"<rss><channel><item><sparkle:version>1</sparkle:version></item></channel></rss>",
       "line 1, column 37: "},  // an undeclared prefix
      {"<rss version=\"2.0\"></rss>", "the feed has no <channel>"},
      {"not xml at all", "line 1, column 1: "},
  };
  for (const auto& [data, message] : cases) {
    SCOPED_TRACE(data.toStdString());
    std::string error = "stale";
    EXPECT_FALSE(Appcast::parse(data, error).has_value());
    EXPECT_EQ(error.substr(0, message.size()), message);
  }
}

}  // namespace
}  // namespace tactora
