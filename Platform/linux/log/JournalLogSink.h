#pragma once

#include <sys/uio.h>

#include <functional>
#include <memory>
#include <string_view>

#include "Platform/LogSink.h"

namespace tactora::lx {

// The system log in the systemd journal: one entry per line with the message, its priority, our
// identifier and the subsystem and category as fields of their own, so
// `journalctl TACTORA_CATEGORY=InputPipeline` picks out one category.
class JournalLogSink final : public platform::LogSink {
 public:
  // sd_journal_sendv: one "NAME=value" field per entry; 0 or a negative errno.
  using Send = std::function<int(const struct iovec* fields, int count)>;

  static constexpr std::string_view identifier = "tactora";

  // `send` null: the journal's own sd_journal_sendv.
  explicit JournalLogSink(Send send = nullptr);

  // Entries with the fields MESSAGE, PRIORITY, SYSLOG_IDENTIFIER, TACTORA_SUBSYSTEM and
  // TACTORA_CATEGORY. A line the journal refuses goes to stderr, so none is lost.
  void write(const platform::LogRecord& record) override;

  // Whether this process's stderr is connected to the journal: the "DEV:INO" of JOURNAL_STREAM
  // is the device and inode of stderr. Sending to the journal succeeds even where nobody reads
  // it, so only this tells whether the journal is where our lines are expected.
  static bool stderrIsJournal();
  // The same test for any descriptor and value; a missing or malformed value is false.
  static bool isJournalStream(int fd, const char* journalStream);

  // A journal sink when stderr is the journal, else null (the caller keeps stderr).
  static std::shared_ptr<platform::LogSink> createIfStderrIsJournal();

  // The syslog priority of each level: notice 5, debug 7, error 3.
  static int priority(platform::LogLevel level);

 private:
  Send send_;
};

}  // namespace tactora::lx
