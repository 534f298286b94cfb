#pragma once

// Where the program's own shared libraries (the multitouch providers) are: beside the program in
// a build tree, in the program's private library folder (lib/<multiarch>/tactora/ next to bin/)
// once installed. Found relative to the running program, so a build tree, a staged installation
// and an installation under any prefix all work without a path compiled in.

#include <string>

namespace tactora::platform {

class PrivateLibrary {
 public:
  // The private library folder relative to the program's folder, for example
  // "../lib/x86_64-linux-gnu/tactora".
  static const char* folderRelativeToProgram();

  // The first readable of `<program folder>/<name>` and `<program folder>/<private folder>/<name>`
  // (normalised); empty when neither is there. `programPath` is the program file itself.
  static std::string find(const std::string& programPath, const std::string& name);

  // The same for the running program (/proc/self/exe).
  static std::string findForRunningProgram(const std::string& name);
};

}  // namespace tactora::platform
