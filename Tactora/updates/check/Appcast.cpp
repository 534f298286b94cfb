#include "Tactora/updates/check/Appcast.h"

#include <QUrl>
#include <QXmlStreamReader>

namespace tactora {

namespace {

bool isSparkle(const QXmlStreamReader& reader, QLatin1String name) {
  return reader.namespaceUri() == QLatin1String(Appcast::sparkleNamespace) && reader.name() == name;
}

bool isPlain(const QXmlStreamReader& reader, QLatin1String name) {
  return reader.namespaceUri().isEmpty() && reader.name() == name;
}

std::optional<std::string> webPage(const QString& text) {
  const QUrl url(text.trimmed(), QUrl::StrictMode);
  const QString scheme = url.scheme().toLower();
  if (!url.isValid() || url.host().isEmpty() ||
      (scheme != QLatin1String("https") && scheme != QLatin1String("http"))) {
    return std::nullopt;
  }
  return url.toString().toStdString();
}

// Reads one <item> up to its end tag; the reader stands on its start tag.
Appcast::Item readItem(QXmlStreamReader& reader) {
  Appcast::Item item;
  std::optional<std::string> elementVersion;
  std::optional<std::string> elementShortVersion;
  std::optional<std::string> notesLink;
  std::optional<std::string> link;
  const QLatin1String sparkle(Appcast::sparkleNamespace);
  while (reader.readNextStartElement()) {
    if (isPlain(reader, QLatin1String("title"))) {
      item.title =
          reader.readElementText(QXmlStreamReader::IncludeChildElements).trimmed().toStdString();
    } else if (isPlain(reader, QLatin1String("enclosure"))) {
      const QXmlStreamAttributes attributes = reader.attributes();
      if (attributes.hasAttribute(sparkle, QLatin1String("version"))) {
        item.version =
            attributes.value(sparkle, QLatin1String("version")).trimmed().toString().toStdString();
      }
      if (attributes.hasAttribute(sparkle, QLatin1String("shortVersionString"))) {
        item.shortVersion = attributes.value(sparkle, QLatin1String("shortVersionString"))
                                .trimmed()
                                .toString()
                                .toStdString();
      }
      reader.skipCurrentElement();
    } else if (isSparkle(reader, QLatin1String("version"))) {
      elementVersion = reader.readElementText().trimmed().toStdString();
    } else if (isSparkle(reader, QLatin1String("shortVersionString"))) {
      elementShortVersion = reader.readElementText().trimmed().toStdString();
    } else if (isSparkle(reader, QLatin1String("releaseNotesLink"))) {
      notesLink = webPage(reader.readElementText());
    } else if (isPlain(reader, QLatin1String("link"))) {
      link = webPage(reader.readElementText());
    } else {
      reader.skipCurrentElement();
    }
  }
  // The item's own elements are the newer way of writing the versions and win over the
  // enclosure's attributes.
  if (elementVersion) {
    item.version = *elementVersion;
  }
  if (elementShortVersion) {
    item.shortVersion = elementShortVersion;
  }
  if (item.shortVersion && item.shortVersion->empty()) {
    item.shortVersion.reset();
  }
  item.releasePage = notesLink ? notesLink : link;
  return item;
}

}  // namespace

std::optional<Appcast> Appcast::parse(const QByteArray& data, std::string& error) {
  error.clear();
  QXmlStreamReader reader(data);
  Appcast appcast;
  bool sawChannel = false;
  if (!reader.readNextStartElement()) {
    error = reader.hasError() ? reader.errorString().toStdString() : "the document is empty";
  } else if (!isPlain(reader, QLatin1String("rss"))) {
    error = "the document is not an RSS feed (its root element is <" +
            reader.qualifiedName().toString().toStdString() + ">)";
    return std::nullopt;
  }
  while (!reader.atEnd() && !reader.hasError()) {
    reader.readNext();
    if (!reader.isStartElement()) {
      continue;
    }
    if (isPlain(reader, QLatin1String("channel"))) {
      sawChannel = true;
    } else if (isPlain(reader, QLatin1String("item"))) {
      appcast.items.push_back(readItem(reader));
    }
  }
  if (reader.hasError()) {
    error = "line " + std::to_string(reader.lineNumber()) + ", column " +
            std::to_string(reader.columnNumber()) + ": " + reader.errorString().toStdString();
    return std::nullopt;
  }
  if (!error.empty()) {
    return std::nullopt;
  }
  if (!sawChannel) {
    error = "the feed has no <channel>";
    return std::nullopt;
  }
  return appcast;
}

}  // namespace tactora
