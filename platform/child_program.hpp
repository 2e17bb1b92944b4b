// Starting a program without waiting for it: the caller's event loop runs on
// while the program runs, and `finished` is called from that loop when it
// ends. For the windows, whose thread must keep painting and answering the
// local sockets while a helper program is open.
#pragma once

#include <QObject>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace tulvo::platform {

// Starts `program` (made absolute) in `workingDirectory` with `arguments`;
// its standard streams are the caller's. `finished` gets the exit code, or
// -1 when the program could not be started or did not end normally; it is
// not called once `context` is gone.
void startProgram(const std::filesystem::path& program,
                  const std::filesystem::path& workingDirectory,
                  const std::vector<std::string>& arguments, QObject* context,
                  std::function<void(int exitCode)> finished);

}  // namespace tulvo::platform
