#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Platform/Log.h"
#include "Platform/linux/log/JournalLogSink.h"

namespace tactora::lx {
namespace {

using platform::LogLevel;

// An unlinked temporary file whose device and inode stand in for the journal's stream.
struct StreamFile {
  int fd = [] {
    char name[] = "/tmp/tactora-journal-XXXXXX";
    const int fd = ::mkstemp(name);
    ::unlink(name);
    return fd;
  }();
  ~StreamFile() { ::close(fd); }

  std::string journalStream(long inodeOffset = 0) const {
    struct stat status {};
    ::fstat(fd, &status);
    return std::to_string(status.st_dev) + ":" +
           std::to_string(static_cast<long>(status.st_ino) + inodeOffset);
  }
  std::string contents() const {
    std::string text(512, '\0');
    text.resize(static_cast<std::size_t>(std::max<ssize_t>(0, ::pread(fd, text.data(), 512, 0))));
    return text;
  }
};

// Runs `body` in a child whose stderr is `file` and whose JOURNAL_STREAM is `value`, so this
// process's own stay as they are; true when `body` returned true.
bool inChild(const StreamFile& file, const std::string& value, bool (*body)()) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(file.fd, STDERR_FILENO);
    ::setenv("JOURNAL_STREAM", value.c_str(), 1);
    ::_exit(body() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(JournalLogSink, StreamMatchesOnlyTheDeviceAndInodeOfTheDescriptor) {
  StreamFile file;
  const std::string stream = file.journalStream();
  EXPECT_TRUE(JournalLogSink::isJournalStream(file.fd, stream.c_str()));
  EXPECT_FALSE(JournalLogSink::isJournalStream(file.fd, file.journalStream(1).c_str()));
  EXPECT_FALSE(JournalLogSink::isJournalStream(-1, stream.c_str()));
  EXPECT_FALSE(JournalLogSink::isJournalStream(file.fd, nullptr));

  const std::string device = stream.substr(0, stream.find(':'));
  const std::string inode = stream.substr(stream.find(':') + 1);
  for (const std::string& malformed :
       {std::string(), device, ":" + inode, device + ":", stream + ":0", " " + stream,
        stream + "\n", "+" + stream, device + ":-" + inode, stream + "x",
        device + ":99999999999999999999999999"}) {
    EXPECT_FALSE(JournalLogSink::isJournalStream(file.fd, malformed.c_str())) << malformed;
  }

  EXPECT_TRUE(inChild(file, stream, [] {
    return JournalLogSink::stderrIsJournal() && JournalLogSink::createIfStderrIsJournal();
  }));
  EXPECT_TRUE(inChild(file, file.journalStream(1), [] {
    return !JournalLogSink::stderrIsJournal() && !JournalLogSink::createIfStderrIsJournal();
  }));
}

std::vector<std::string> sentFields(LogLevel level, const std::string& message) {
  std::vector<std::string> fields;
  JournalLogSink sink([&fields](const struct iovec* entries, int count) {
    for (int i = 0; i < count; ++i) {
      fields.emplace_back(static_cast<const char*>(entries[i].iov_base), entries[i].iov_len);
    }
    return 0;
  });
  sink.write(platform::LogRecord{platform::Log::subsystem, "InputPipeline", level, message});
  return fields;
}

TEST(JournalLogSink, EachLineCarriesItsFieldsAndOneTheJournalRefusesGoesToStderr) {
  for (const auto& [level, priority] : std::vector<std::pair<LogLevel, std::string>>{
           {LogLevel::notice, "5"}, {LogLevel::debug, "7"}, {LogLevel::error, "3"}}) {
    EXPECT_EQ(sentFields(level, "device opened"),
              (std::vector<std::string>{
                  "MESSAGE=device opened", "PRIORITY=" + priority, "SYSLOG_IDENTIFIER=tactora",
                  "TACTORA_SUBSYSTEM=com.vellumworks.Tactora", "TACTORA_CATEGORY=InputPipeline"}));
  }
  // Longer than any fixed buffer, with a line break: sent whole.
  const std::string longMessage = std::string(5000, 'x') + "\nend";
  EXPECT_EQ(sentFields(LogLevel::notice, longMessage).front(), "MESSAGE=" + longMessage);

  // A line the journal refuses goes to standard error.
  StreamFile file;
  EXPECT_TRUE(inChild(file, "", [] {
    JournalLogSink([](const struct iovec*, int) { return -ENOTCONN; })
        .write(platform::LogRecord{platform::Log::subsystem, "ConfigStore", LogLevel::error,
                                   "cannot save"});
    return true;
  }));
  EXPECT_EQ(file.contents(), "com.vellumworks.Tactora [ConfigStore] error: cannot save\n");
}

}  // namespace
}  // namespace tactora::lx
