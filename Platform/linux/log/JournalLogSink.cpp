#include "Platform/linux/log/JournalLogSink.h"

#include <sys/stat.h>
#include <syslog.h>
#include <systemd/sd-journal.h>
#include <unistd.h>

#include <array>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace tactora::lx {

namespace {

// One "NAME=value" journal field. It lives in a fixed buffer when it fits, which every
// category, subsystem and nearly every message does, so writing a line allocates nothing more;
// a longer one goes to the heap rather than being cut.
template <std::size_t capacity>
class JournalField {
 public:
  JournalField(std::string_view name, std::string_view value) {
    const std::size_t size = name.size() + 1 + value.size();
    char* out = fixed_.data();
    if (size > capacity) {
      heap_.resize(size);
      out = heap_.data();
    }
    std::memcpy(out, name.data(), name.size());
    out[name.size()] = '=';
    std::memcpy(out + name.size() + 1, value.data(), value.size());
    entry_ = iovec{out, size};
  }
  JournalField(const JournalField&) = delete;
  JournalField& operator=(const JournalField&) = delete;

  const iovec& entry() const { return entry_; }

 private:
  std::array<char, capacity> fixed_;
  std::string heap_;
  iovec entry_{};
};

// A strictly decimal, non-empty number that fits in `T`.
template <class T>
bool parseDecimal(std::string_view text, T& value) {
  if (text.empty()) {
    return false;
  }
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

JournalLogSink::JournalLogSink(Send send) : send_(std::move(send)) {
  if (!send_) {
    send_ = [](const struct iovec* fields, int count) { return ::sd_journal_sendv(fields, count); };
  }
}

int JournalLogSink::priority(platform::LogLevel level) {
  switch (level) {
    case platform::LogLevel::notice:
      return LOG_NOTICE;
    case platform::LogLevel::debug:
      return LOG_DEBUG;
    case platform::LogLevel::error:
      return LOG_ERR;
  }
  return LOG_NOTICE;
}

void JournalLogSink::write(const platform::LogRecord& record) {
  const char priorityText[2] = {static_cast<char>('0' + priority(record.level)), '\0'};
  const JournalField<1024> message("MESSAGE", record.message);
  const JournalField<16> priorityField("PRIORITY", priorityText);
  const JournalField<32> identifierField("SYSLOG_IDENTIFIER", identifier);
  const JournalField<96> subsystem("TACTORA_SUBSYSTEM", record.subsystem);
  const JournalField<96> category("TACTORA_CATEGORY", record.category);
  const std::array<iovec, 5> fields = {message.entry(), priorityField.entry(),
                                       identifierField.entry(), subsystem.entry(),
                                       category.entry()};
  if (send_(fields.data(), static_cast<int>(fields.size())) >= 0) {
    return;
  }
  std::fprintf(stderr, "%.*s [%.*s] %.*s: %s\n", static_cast<int>(record.subsystem.size()),
               record.subsystem.data(), static_cast<int>(record.category.size()),
               record.category.data(), static_cast<int>(toString(record.level).size()),
               toString(record.level).data(), record.message.c_str());
}

bool JournalLogSink::isJournalStream(int fd, const char* journalStream) {
  if (journalStream == nullptr) {
    return false;
  }
  const std::string_view text(journalStream);
  const auto colon = text.find(':');
  if (colon == std::string_view::npos) {
    return false;
  }
  dev_t device = 0;
  ino_t inode = 0;
  if (!parseDecimal(text.substr(0, colon), device) ||
      !parseDecimal(text.substr(colon + 1), inode)) {
    return false;
  }
  struct stat status {};
  if (::fstat(fd, &status) != 0) {
    return false;
  }
  return status.st_dev == device && status.st_ino == inode;
}

bool JournalLogSink::stderrIsJournal() {
  return isJournalStream(STDERR_FILENO, std::getenv("JOURNAL_STREAM"));
}

std::shared_ptr<platform::LogSink> JournalLogSink::createIfStderrIsJournal() {
  if (!stderrIsJournal()) {
    return nullptr;
  }
  return std::make_shared<JournalLogSink>();
}

}  // namespace tactora::lx
