#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tactora {

// A shell command as the import warning lists it, so that a command cannot hide part of what it
// runs: every character that would not be drawn as itself is written as an escape — line breaks
// and other control characters ("\n", "\x1B"), bidirectional controls that reorder what follows
// ("\u202E"), invisible and zero-width characters, bytes that are not UTF-8 — and a very long
// command is cut to a length a person reads, saying how much more there is.
class CommandText {
 public:
  // The characters of a command listed before it is cut.
  static constexpr std::size_t shownCharacters = 160;

  CommandText() = delete;

  // The whole command with the escapes.
  static std::string escaped(std::string_view command);
  // `escaped`, cut after `shownCharacters` characters with " … (N more characters)" where N counts
  // the command's characters left out; whole when it is no longer. True in `cut` when it was cut.
  static std::string shortened(std::string_view command, bool* cut = nullptr);
};

}  // namespace tactora
