#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QFile>
#include <QLabel>
#include <QMap>
#include <QProcess>
#include <QSslKey>
#include <QSslServer>
#include <QTemporaryDir>
#include <QTest>
#include "Platform/Log.h"
#include "Platform/sim/SimPlatform.h"
#include "Tactora/updates/UpdateController.h"
#include "Tactora/updates/check/AppVersion.h"
#include "Tactora/updates/check/Appcast.h"
#include "Tactora/updates/check/AppcastUpdater.h"
#include "Tactora/updates/check/UpdateAlert.h"
#include "support/CapturingLogSink.h"

namespace tactora {
namespace {

constexpr const char* header =
    R"(<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">
<channel><title>Tactora</title>)";

QByteArray feed(const std::string& items) {
  return QByteArray::fromStdString(header + items + "</channel></rss>");
}

// Each way of writing versions and release pages is read; a malformed document is rejected with
// its place.
TEST(Appcast, ReadsEachWayOfWritingAnItemAndRejectsMalformedDocumentsWithTheirPlace) {
  using Item = Appcast::Item;
  const struct {
    QByteArray document;
    std::vector<Item> expected;
    std::string error = {};
  } cases[] = {
      // Enclosure attributes.
      {feed(R"(<item><title>Tactora 2.1</title><link>https://example.org/2.1</link>
          <enclosure url="https://example.org/t.tar.gz" sparkle:version="57"
                     sparkle:shortVersionString="2.1" length="1" type="application/octet-stream"/>
          </item>)"),
       {{"Tactora 2.1", "57", "2.1", "https://example.org/2.1"}}},
      // Elements win over attributes; release notes win over the link.
      {feed(R"(<item><title>T</title><sparkle:version>60</sparkle:version>
          <sparkle:shortVersionString>2.2</sparkle:shortVersionString>
          <sparkle:releaseNotesLink>https://example.org/notes</sparkle:releaseNotesLink>
          <link>https://example.org/page</link>
          <enclosure sparkle:version="1" sparkle:shortVersionString="0.1"/></item>)"),
       {{"T", "60", "2.2", "https://example.org/notes"}}},
      // No short version; unsafe links dropped.
      {feed(R"(<item><sparkle:version>3.0</sparkle:version><link>javascript:alert(1)</link></item>
          <item><sparkle:version>3.1</sparkle:version><link>file:///etc/passwd</link></item>)"),
       {{"", "3.0", std::nullopt, std::nullopt}, {"", "3.1", std::nullopt, std::nullopt}}},
      // Another prefix for the same namespace.
      {feed(R"(<item xmlns:s="http://www.andymatuschak.org/xml-namespaces/sparkle">
          <s:version>4</s:version><unknown><nested/></unknown></item>)"),
       {{"", "4", std::nullopt, std::nullopt}}},
      {"", {}, "line 1, column 0: Premature end of document"},
      {"<html><body>Not found</body></html>",
       {},
       "the document is not an RSS feed (its root element is <html>)"},
      {"<rss><channel><item><sparkle:version>1</sparkle:version></item></channel></rss>",
       {},
       "line 1, column 37: "},  // an undeclared prefix
      {"<rss version=\"2.0\"></rss>", {}, "the feed has no <channel>"},
  };
  for (const auto& [document, expected, message] : cases) {
    SCOPED_TRACE(document.toStdString());
    std::string error = "stale";
    const std::optional<Appcast> appcast = Appcast::parse(document, error);
    EXPECT_EQ(appcast.has_value(), message.empty()) << error;
    EXPECT_EQ(appcast ? appcast->items : std::vector<Item>{}, expected);
    EXPECT_TRUE(error.starts_with(message)) << error;
  }
  EXPECT_EQ((Item{"", "57", "2.1", std::nullopt}).displayVersion(), "2.1");
}

using Line = platform::CapturingLogSink::Line;
using platform::LogLevel;
using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::Field;
using ::testing::StartsWith;

// An HTTPS server on the loopback address, with a self-signed certificate for 127.0.0.1 made for
// this run by the openssl tool, that answers each path with a canned response.
class FeedServer {
 public:
  struct Response {
    QByteArray statusLine = "200 OK", extraHeaders = {}, body = {};
  };

  // The certificate, or an empty one when openssl or the server failed.
  QSslCertificate start(const QTemporaryDir& dir) {
    const QString keyPath = dir.filePath("key.pem"), certPath = dir.filePath("cert.pem");
    QProcess openssl;
    openssl.start("openssl",
                  {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                   "-nodes", "-days", "1", "-subj", "/CN=127.0.0.1", "-addext",
                   "subjectAltName=IP:127.0.0.1", "-keyout", keyPath, "-out", certPath});
    QFile key(keyPath), cert(certPath);
    if (!openssl.waitForFinished(10000) || openssl.exitCode() != 0 ||
        !key.open(QIODevice::ReadOnly) || !cert.open(QIODevice::ReadOnly)) {
      return QSslCertificate();
    }
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(QSslCertificate(cert.readAll()));
    tls.setPrivateKey(QSslKey(key.readAll(), QSsl::Ec));
    server_.setSslConfiguration(tls);
    QObject::connect(&server_, &QTcpServer::pendingConnectionAvailable, &server_, [this] {
      while (QTcpSocket* socket = server_.nextPendingConnection()) {
        serve(socket);
      }
    });
    return server_.listen(QHostAddress::LocalHost, 0) ? tls.localCertificate() : QSslCertificate();
  }

  void route(const QString& path, Response response) { routes_[path] = std::move(response); }
  QString url(const QString& path) const {
    return QStringLiteral("https://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path);
  }
  const QStringList& requests() const { return requests_; }

 private:
  void serve(QTcpSocket* socket) {
    auto buffer = std::make_shared<QByteArray>();
    QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
      buffer->append(socket->readAll());
      if (!buffer->contains("\r\n\r\n")) {
        return;
      }
      const QList<QByteArray> requestLine = buffer->left(buffer->indexOf("\r\n")).split(' ');
      requests_.append(requestLine.size() > 1 ? QString::fromUtf8(requestLine[1]) : QString());
      const Response response = routes_.value(requests_.back(), {"404 Not Found", {}, "not here"});
      socket->write("HTTP/1.1 " + response.statusLine + "\r\nContent-Type: application/xml\r\n" +
                    response.extraHeaders +
                    "Content-Length: " + QByteArray::number(response.body.size()) +
                    "\r\nConnection: close\r\n\r\n" + response.body);
      socket->disconnectFromHost();
    });
  }

  QSslServer server_;
  QMap<QString, Response> routes_;
  QStringList requests_;
};

// What the updater showed the user, one line per answer.
struct RecordingDriver : UpdateUserDriver {
  void showUpdateFound(const Appcast::Item& item, const std::string& current) override {
    shown.push_back("found " + item.displayVersion() + " " + item.releasePage.value_or("-") +
                    " over " + current);
  }
  void showUpdateNotFound(const std::string& current) override {
    shown.push_back("up to date " + current);
  }
  void showUpdaterError(const std::string& text) override { shown.push_back("error " + text); }
  std::vector<std::string> shown;
};

// A feed of one item per version, each with its release notes page.
QByteArray feedWith(const std::vector<std::string>& versions) {
  std::string items;
  for (const std::string& version : versions) {
    items += "<item><sparkle:version>" + version +
             "</sparkle:version><sparkle:releaseNotesLink>https://example.org/notes/" + version +
             "</sparkle:releaseNotesLink></item>";
  }
  return feed(items);
}

class AppcastUpdaterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(scratch.isValid());
    certificate = server.start(scratch);
    ASSERT_FALSE(certificate.isNull()) << "openssl or the server failed";
    sim = sim::SimPlatform::install();
    previousSink = platform::Log::setSink(log);
  }
  void TearDown() override { platform::Log::setSink(previousSink); }

  std::unique_ptr<AppcastUpdater> makeUpdater(const std::string& currentVersion,
                                              bool trustTestCertificate = true) {
    return std::make_unique<AppcastUpdater>(
        sim->preferences(), sim->clock(), sim->dispatch().main(), driver,
        AppcastUpdater::Options{
            feedURL(), currentVersion, std::chrono::milliseconds(3000), false,
            trustTestCertificate ? std::optional(QList{certificate}) : std::nullopt});
  }

  // A user's check through the controller, run until it has ended.
  void checkThroughController(AppcastUpdater& updater) {
    UpdateController controller(updater, sim->preferences());
    log->clear();
    controller.updater().checkForUpdates();
    ASSERT_TRUE(updater.isChecking());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !updater.isChecking(); }, 8000));
  }

  std::string feedURL() const { return server.url(QStringLiteral("/appcast.xml")).toStdString(); }

  QTemporaryDir scratch;
  QSslCertificate certificate;
  FeedServer server;
  RecordingDriver driver;
  std::shared_ptr<sim::SimPlatform> sim;
  std::shared_ptr<platform::CapturingLogSink> log = std::make_shared<platform::CapturingLogSink>();
  std::shared_ptr<platform::LogSink> previousSink;
};

// The newest item is compared with this build; a newer one is offered with its release page,
// none is logged at debug level and answered to the user. Https redirects are followed.
TEST_F(AppcastUpdaterTest, ANewerVersionIsOfferedAndNothingNewIsSaidQuietly) {
  server.route("/appcast.xml",
               {"302 Found", "Location: " + server.url("/feed.xml").toUtf8() + "\r\n", {}});
  // Components compare as numbers (2.10 after 2.9, 2.10 the same as 2.10.0). A version that is not
  // digits and dots, or does not fit, is no version: never offered, never shown.
  server.route("/feed.xml",
               {.body = feedWith({"1.0.0", "2.10.0", "2.9.0", "v99", "99-beta", "99..1", "99.",
                                  "99.x", "99999999999999999999",
                                  "99.0 &lt;a href=&quot;x:y&quot;&gt;go&lt;/a&gt;"})});
  const Line loaded{"UpdateController", LogLevel::notice, "appcast loaded: 10 item(s)"};
  checkThroughController(*makeUpdater("2.9.1"));
  EXPECT_EQ(log->lines(), std::vector{loaded});
  checkThroughController(*makeUpdater("2.10"));
  EXPECT_EQ(log->lines(),
            (std::vector<Line>{
                loaded, {"UpdateController", LogLevel::debug, "update check found nothing new"}}));
  EXPECT_EQ(driver.shown,
            (std::vector<std::string>{"found 2.10.0 https://example.org/notes/2.10.0 over 2.9.1",
                                      "up to date 2.10"}));
  EXPECT_EQ(server.requests(),
            (QStringList{"/appcast.xml", "/feed.xml", "/appcast.xml", "/feed.xml"}));
  // A further component makes a later version (2.10.1 after 2.10, never the same).
  EXPECT_LT(*AppVersion::parse("2.10"), *AppVersion::parse("2.10.1"));
}

// Every way a check can fail ends in one error line naming the feed and the cause, and in an
// error the user who asked sees.
TEST_F(AppcastUpdaterTest, FailuresAreLoggedWithTheFeedAndTheCause) {
  const QByteArray httpTarget =
      server.url("/appcast-plain.xml").replace("https:", "http:").toUtf8();
  const struct {
    FeedServer::Response response;
    std::string cause;
    bool trust = true;
  } cases[] = {
      {{.body = "<rss><channel><item>"}, ": not a valid appcast: line 1, column 20: "},
      {{"301 Moved", "Location: " + httpTarget + "\r\n", {}},
       ": refused the redirect to " + httpTarget.toStdString() +
           " (update feeds are only read over https)"},
      {{.body = QByteArray(2 * 1024 * 1024, ' ')}, ": the feed is larger than 1048576 bytes"},
      {{.body = feedWith({"9.0"})}, ": ", false},  // the certificate is not trusted
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cause);
    driver.shown.clear();
    server.route("/appcast.xml", c.response);
    checkThroughController(*makeUpdater("1.0", c.trust));
    EXPECT_THAT(
        log->lines(),
        ElementsAre(AllOf(
            Field(&Line::level, LogLevel::error),
            Field(&Line::message, StartsWith("update check failed: " + feedURL() + c.cause)))));
    EXPECT_THAT(driver.shown, ElementsAre(StartsWith("error ")));
  }
  // The plain-http address was never asked.
  EXPECT_FALSE(server.requests().contains(QStringLiteral("/appcast-plain.xml")));
}

TEST_F(AppcastUpdaterTest, AutomaticChecksRunAtMostOnceADayAndOnlyWhenOn) {
  server.route(QStringLiteral("/appcast.xml"), {.body = feedWith({"1.0"})});
  auto updater = makeUpdater("1.0");
  UpdateController controller(*updater, sim->preferences());
  EXPECT_EQ(updater->secondsUntilAutomaticCheck(), std::nullopt);

  // Never checked: shortly after switching on.
  updater->setAutomaticallyChecksForUpdates(true);
  EXPECT_EQ(updater->secondsUntilAutomaticCheck(), AppcastUpdater::launchDelaySeconds);
  sim->timeline().advanceBy(AppcastUpdater::launchDelaySeconds);
  ASSERT_TRUE(updater->isChecking());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !updater->isChecking(); }, 8000));
  EXPECT_TRUE(driver.shown.empty());  // an automatic check that found nothing stays quiet
  EXPECT_EQ(updater->secondsUntilAutomaticCheck(), AppcastUpdater::automaticIntervalSeconds);
  EXPECT_EQ(server.requests().size(), 1);

  // A new start an hour after the last check waits for the rest of the day.
  sim->timeline().advanceBy(3600);
  auto restarted = makeUpdater("1.0");
  UpdateController again(*restarted, sim->preferences());
  EXPECT_EQ(restarted->secondsUntilAutomaticCheck(),
            AppcastUpdater::automaticIntervalSeconds - 3600);

  // A last check "in the future" (the clock was set back) does not hold checks off for long.
  sim->clock().setWallClockOffset(sim::SimClock::defaultWallClockOffsetSeconds - 7 * 86400);
  restarted->setAutomaticallyChecksForUpdates(true);
  EXPECT_EQ(restarted->secondsUntilAutomaticCheck(), AppcastUpdater::launchDelaySeconds);

  // Switched off, nothing is asked again.
  restarted->setAutomaticallyChecksForUpdates(false);
  updater->setAutomaticallyChecksForUpdates(false);
  sim->timeline().advanceBy(10 * 86400);
  EXPECT_EQ(server.requests().size(), 1);
}

// Error texts carry what the feed's server said: shown as text, no markup, no links.
TEST(UpdateAlert, OffersTheReleasePageAndShowsOutsideTextAsItIs) {
  std::vector<QUrl> opened;
  UpdateAlert alert([&](const QUrl& url) { return opened.push_back(url), true; });
  alert.showUpdaterError("https://example.org/feed: refused the redirect to <a href=\"x:y\">z</a>");
  for (QLabel* label : alert.currentBox()->findChildren<QLabel*>()) {
    EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->text().toStdString();
  }
  alert.showUpdateFound({"Tactora 2.1", "57", "2.1", "https://example.org/releases/2.1"}, "2.0");
  ASSERT_NE(alert.currentBox(), nullptr);
  EXPECT_EQ(alert.currentBox()->text(), "Tactora 2.1 is available");
  for (QAbstractButton* button : alert.currentBox()->buttons()) {
    if (button->text() == "Open Release Page") {
      button->click();
    }
  }
  EXPECT_EQ(opened, (std::vector<QUrl>{QUrl("https://example.org/releases/2.1")}));
}

}  // namespace
}  // namespace tactora
