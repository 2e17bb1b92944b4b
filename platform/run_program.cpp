#include "platform/run_program.hpp"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>

extern char** environ;

namespace tulvo {

int runProgramAndWait(const std::filesystem::path& program,
                      const std::filesystem::path& workingDirectory,
                      const std::vector<std::string>& arguments) {
    const std::filesystem::path absolute = std::filesystem::absolute(program);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, workingDirectory.c_str());
    std::string path = absolute.string();
    std::vector<std::string> words = arguments;
    std::vector<char*> argv{path.data()};
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int started = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0) return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace tulvo
