#include "tests/Platform/linux/EmulatedEvdevNode.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/uinput.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <umockdev.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>

#include "Platform/evdev/EvemuReader.h"
#include "tests/support/SourceTree.h"
#include "tests/support/desktop/DesktopSession.h"

namespace tactora::lx::test {

struct EmulatedEvdevNode::Node {
  std::string path;
  std::string sysPath;
  platform::EvemuRecording header;
  Options options;
  platform::UniqueFd writeFd;  // the write end of the node's pipe (opened read-write, never read)
  mutable std::mutex mutex;
  std::vector<std::uint8_t> keyState = std::vector<std::uint8_t>(KEY_MAX / 8 + 1);
  int grabCalls = 0;  // under the mutex
};

namespace {

// Answers an ioctl: its buffer (of the size the request names) `fill`ed, and `result` returned;
// EFAULT when the buffer cannot be reached.
void answerWith(UMockdevIoctlClient* client, long result,
                const std::function<void(std::uint8_t* buffer, std::size_t size)>& fill) {
  const auto size = static_cast<std::size_t>(_IOC_SIZE(umockdev_ioctl_client_get_request(client)));
  GError* error = nullptr;
  UMockdevIoctlData* data =
      umockdev_ioctl_data_resolve(umockdev_ioctl_client_get_arg(client), 0, size, &error);
  if (data == nullptr) {
    g_clear_error(&error);
    umockdev_ioctl_client_complete(client, -1, EFAULT);
    return;
  }
  fill(data->data, size);
  umockdev_ioctl_client_complete(client, result, 0);
}

void answer(UMockdevIoctlClient* client, const void* bytes, std::size_t length, long result) {
  answerWith(client, result, [&](std::uint8_t* buffer, std::size_t size) {
    std::memset(buffer, 0, size);
    if (bytes != nullptr && length > 0) {
      std::memcpy(buffer, bytes, std::min(size, length));
    }
  });
}

void answerText(UMockdevIoctlClient* client, const std::string& text) {
  answer(client, text.c_str(), text.size() + 1, static_cast<long>(text.size() + 1));
}

gboolean handleIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer userData) {
  auto* node = static_cast<EmulatedEvdevNode::Node*>(userData);
  const unsigned long request = umockdev_ioctl_client_get_request(client);
  // A bit mask's answer is its size: how much of it was filled.
  const auto maskSize = static_cast<long>(_IOC_SIZE(request));
  if (_IOC_TYPE(request) != 'E') {
    return FALSE;
  }
  const unsigned nr = _IOC_NR(request);
  const platform::EvemuRecording& header = node->header;
  if (request == EVIOCGVERSION) {
    const int version = EV_VERSION;
    answer(client, &version, sizeof version, 0);
  } else if (request == EVIOCGID) {
    const auto& known = header.id;
    const input_id id =
        known ? input_id{known->bustype, known->vendor, known->product, known->version}
              : input_id{};
    answer(client, &id, sizeof id, 0);
  } else if (request == EVIOCGRAB) {
    {
      std::lock_guard lock(node->mutex);
      if (++node->grabCalls == 1 && node->options.pressOnFirstGrab) {
        node->keyState[BTN_LEFT / 8] |= static_cast<std::uint8_t>(1u << (BTN_LEFT % 8));
        const input_event press[] = {{{}, EV_KEY, BTN_LEFT, 1}, {{}, EV_SYN, SYN_REPORT, 0}};
        [[maybe_unused]] const auto written = ::write(node->writeFd.get(), press, sizeof press);
      }
    }
    umockdev_ioctl_client_complete(client, node->options.grabError ? -1 : 0,
                                   node->options.grabError);
  } else if (request == EVIOCSCLOCKID) {
    umockdev_ioctl_client_complete(client, node->options.refuseClockId ? -1 : 0,
                                   node->options.refuseClockId ? EINVAL : 0);
  } else if (nr == _IOC_NR(EVIOCGNAME(0))) {
    answerText(client, header.name);
  } else if (nr == _IOC_NR(EVIOCGPHYS(0))) {
    answerText(client, node->options.phys);
  } else if (nr == _IOC_NR(EVIOCGUNIQ(0))) {
    answerText(client, node->options.uniq);
  } else if (nr == _IOC_NR(EVIOCGPROP(0))) {
    std::vector<std::uint8_t> bits = header.properties;
    for (int property : node->options.properties) {
      bits.resize(std::max<std::size_t>(bits.size(), static_cast<std::size_t>(property / 8 + 1)));
      bits[static_cast<std::size_t>(property / 8)] |=
          static_cast<std::uint8_t>(1u << (property % 8));
    }
    answer(client, bits.data(), bits.size(), maskSize);
  } else if (nr >= _IOC_NR(EVIOCGBIT(0, 0)) && nr < _IOC_NR(EVIOCGBIT(EV_MAX, 0)) + 1) {
    const std::size_t type = nr - _IOC_NR(EVIOCGBIT(0, 0));
    const auto* bits = type < header.eventBits.size() ? &header.eventBits[type] : nullptr;
    answer(client, bits ? bits->data() : nullptr, bits ? bits->size() : 0, maskSize);
  } else if (nr >= _IOC_NR(EVIOCGABS(0)) && nr <= _IOC_NR(EVIOCGABS(ABS_MAX))) {
    const unsigned code = nr - _IOC_NR(EVIOCGABS(0));
    const auto* axis = header.axis(static_cast<std::uint16_t>(code));
    const input_absinfo info = axis ? input_absinfo{0,          axis->minimum, axis->maximum,
                                                    axis->fuzz, axis->flat,    axis->resolution}
                                    : input_absinfo{};
    answer(client, &info, sizeof info, 0);
  } else if (nr == _IOC_NR(EVIOCGKEY(0))) {
    std::lock_guard lock(node->mutex);
    answer(client, node->keyState.data(), node->keyState.size(), maskSize);
  } else if (nr == _IOC_NR(EVIOCGMTSLOTS(0))) {
    // The code asked for comes in, every slot's value goes out: no contacts (tracking id -1).
    answerWith(client, 0, [](std::uint8_t* buffer, std::size_t size) {
      std::uint32_t code = 0;
      std::memcpy(&code, buffer, sizeof code);
      const std::int32_t value = code == ABS_MT_TRACKING_ID ? -1 : 0;
      for (std::size_t offset = 4; offset + 4 <= size; offset += 4) {
        std::memcpy(buffer + offset, &value, sizeof value);
      }
    });
  } else if (_IOC_DIR(request) == _IOC_READ) {
    // LEDs, sounds, switches, repeat: nothing.
    answer(client, nullptr, 0, maskSize);
  } else {
    umockdev_ioctl_client_complete(client, 0, 0);
  }
  return TRUE;
}

gboolean acceptUinputIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer) {
  if (_IOC_TYPE(umockdev_ioctl_client_get_request(client)) != UINPUT_IOCTL_BASE) {
    return FALSE;
  }
  umockdev_ioctl_client_complete(client, 0, 0);
  return TRUE;
}

}  // namespace

// Only true once a testbed exists and the preload library is in the process.
EmulatedEvdevNode::EmulatedEvdevNode()
    : testbed_(umockdev_testbed_new()), available_(umockdev_in_mock_environment()) {}

EmulatedEvdevNode::~EmulatedEvdevNode() {
  for (const auto& [path, ioctls] : attached_) {
    umockdev_testbed_detach_ioctl(testbed_, path.c_str(), nullptr);
    g_object_unref(ioctls);
  }
  g_object_unref(testbed_);
}

int EmulatedEvdevNode::addUinput() {
  if (attach("/dev/uinput", G_CALLBACK(acceptUinputIoctl), nullptr)) {
    uinputReadFd_.reset(::open(file("/dev/uinput").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  }
  return uinputReadFd_.get();
}

std::string EmulatedEvdevNode::file(const std::string& path) const {
  gchar* root = umockdev_testbed_get_root_dir(testbed_);
  const std::string file = std::string(root) + path;
  g_free(root);
  return file;
}

bool EmulatedEvdevNode::attach(const std::string& path, GCallback handler, void* data) {
  const std::string fifo = file(path);
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(fifo).parent_path(), ignored);
  if (::mkfifo(fifo.c_str(), 0660) != 0) {
    ADD_FAILURE() << "mkfifo " << fifo << ": " << std::strerror(errno);
    return false;
  }
  UMockdevIoctlBase* ioctls = attached_.emplace_back(path, umockdev_ioctl_base_new()).second;
  g_signal_connect(ioctls, "handle-ioctl", handler, data);
  GError* error = nullptr;
  const bool attached = umockdev_testbed_attach_ioctl(testbed_, path.c_str(), ioctls, &error);
  EXPECT_TRUE(attached) << "umockdev ioctl: " << error->message;
  g_clear_error(&error);
  return attached;
}

std::string EmulatedEvdevNode::add(int number, const platform::EvemuRecording& recording,
                                   const Options& options) {
  Node* node = nodes_.emplace(number, std::make_unique<Node>()).first->second.get();
  node->header = recording;
  // Some recorded headers list relative codes without EV_REL among the types; a mouse has both.
  auto& bits = node->header.eventBits;
  if (bits.size() > EV_REL && !bits.empty() && !bits[0].empty() &&
      std::any_of(bits[EV_REL].begin(), bits[EV_REL].end(), [](auto byte) { return byte != 0; })) {
    bits[0][0] = static_cast<std::uint8_t>(bits[0][0] | (1u << EV_REL));
  }
  node->options = options;
  node->path = "/dev/input/event" + std::to_string(number);
  const platform::EvemuRecording::DeviceId id =
      recording.id.value_or(platform::EvemuRecording::DeviceId{});
  char name[64];
  std::snprintf(name, sizeof name, "/%04X:%04X:%04X.%04X", id.bustype, id.vendor, id.product,
                static_cast<unsigned>(number));
  const std::string hid = options.hidParent + name;
  std::snprintf(name, sizeof name, "%04X:0000%04X:0000%04X", id.bustype, id.vendor, id.product);
  const std::string input = hid + "/input/input" + std::to_string(number);
  node->sysPath = input + "/event" + std::to_string(number);
  const std::string minor = std::to_string(64 + number);
  // No "N:" line: umockdev would make the node a terminal, which may hand the reader part of an
  // event (it takes at most 4095 bytes, and what is written reaches it later than the write
  // returns). The node is a pipe instead: every event is one atomic write, the reader always
  // reads whole events, a full pipe holds the writer back, and FIONREAD says what is unread.
  const std::string description =
      "P: " + hid + "\nE: SUBSYSTEM=hid\nE: HID_ID=" + name + "\nE: HID_NAME=" + recording.name +
      "\n\n" + "P: " + input +
      "\nE: SUBSYSTEM=input\nE: ID_INPUT=1\nE: ID_INPUT_MOUSE=1\nA: name=" + recording.name +
      "\n\n" + "P: " + node->sysPath + "\nE: DEVNAME=" + node->path +
      "\nE: SUBSYSTEM=input\nE: ID_INPUT=1\nE: ID_INPUT_MOUSE=1\nE: MAJOR=13\nE: MINOR=" + minor +
      "\nA: dev=13:" + minor + "\n";
  // Adding the device announces it to udev at once, and a started provider opens it then: the
  // node and its ioctl answers must be in place before.
  if (!attach(node->path, G_CALLBACK(handleIoctl), node)) {
    return node->path;
  }
  node->writeFd.reset(::open(file(node->path).c_str(), O_RDWR | O_CLOEXEC));
  GError* error = nullptr;
  if (!umockdev_testbed_add_from_string(testbed_, description.c_str(), &error)) {
    ADD_FAILURE() << "umockdev: " << error->message;
    g_clear_error(&error);
  }
  return node->path;
}

void EmulatedEvdevNode::remove(int number) {
  const Node* node = &this->node(number);
  // Like a node whose device is gone: it cannot be opened again, and what holds it open reads
  // nothing more (the write end stays open until the end of the test), so only udev tells.
  ::unlink(file(node->path).c_str());
  gchar* sys = g_strconcat("/sys", node->sysPath.c_str(), nullptr);
  umockdev_testbed_uevent(testbed_, sys, "remove");
  umockdev_testbed_remove_device(testbed_, sys);
  g_free(sys);
}

std::string EmulatedEvdevNode::hidPath(int number) const {
  // The event node's folder is <hid>/input/inputN/eventN.
  const std::string& sys = node(number).sysPath;
  return sys.substr(0, sys.rfind("/input/input"));
}

void EmulatedEvdevNode::write(int number, std::uint16_t type, std::uint16_t code,
                              std::int32_t value, std::int64_t timeMicroseconds) {
  input_event event{{}, type, code, value};
  event.input_event_sec = static_cast<decltype(event.input_event_sec)>(timeMicroseconds / 1000000);
  event.input_event_usec =
      static_cast<decltype(event.input_event_usec)>(timeMicroseconds % 1000000);
  // One write per event, smaller than PIPE_BUF: atomic, and blocking while the pipe is full.
  ASSERT_EQ(::write(node(number).writeFd.get(), &event, sizeof event),
            static_cast<ssize_t>(sizeof event));
}

void EmulatedEvdevNode::setKeyDown(int number, int code, bool down) {
  Node& node = this->node(number);
  std::lock_guard lock(node.mutex);
  auto& byte = node.keyState[static_cast<std::size_t>(code / 8)];
  byte = static_cast<std::uint8_t>(down ? byte | (1u << (code % 8)) : byte & ~(1u << (code % 8)));
}

int EmulatedEvdevNode::grabCalls(int number) const {
  const Node& node = this->node(number);
  std::lock_guard lock(node.mutex);
  return node.grabCalls;
}

bool EmulatedEvdevNode::waitForGrabCalls(int number, int count,
                                         std::chrono::seconds deadline) const {
  return testing::eventually([&] { return grabCalls(number) >= count; }, deadline);
}

bool EmulatedEvdevNode::waitUntilRead(int number, std::chrono::seconds deadline) const {
  const int fd = node(number).writeFd.get();
  // A pipe has no event for "emptied"; its fill level is looked at every millisecond.
  return testing::eventually(
      [&] {
        int unread = 0;
        return ::ioctl(fd, FIONREAD, &unread) < 0 || unread == 0;
      },
      deadline);
}

platform::EvemuRecording readSession(const std::string& relativePath) {
  platform::EvemuReader::Result read =
      platform::EvemuReader::readFile(testing::sourceDir() + "/" + relativePath);
  if (!read) {
    ADD_FAILURE() << read.error().description();
    return {};
  }
  return std::move(read).value();
}

}  // namespace tactora::lx::test
