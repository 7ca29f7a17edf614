// quietharbour --book F --goto N: the page opens with a state a reader could have
// there. qh-play, beside this program, finds a route from a fresh start (route N) and
// then plays it into the preview's save folder, ending with Exit so the place and the
// variables are saved. Its messages (the route's length and seed) reach the terminal.
#include "tools/preview/route_play.h"

#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

// qh-play in the folder this program was started from.
static std::string PlayerBesideUs() {
    std::error_code ec;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string("qh-play") : (self.parent_path() / "qh-play").string();
}

// Runs the program with its standard output in the file `output`; true when it exits 0.
static bool Run(const std::vector<std::string>& args, const std::string& output) {
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t child = 0;
    int failed = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed) {
        std::fprintf(stderr, "quietharbour: cannot run %s\n", argv[0]);
        return false;
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {}
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool PlayRouteToParagraph(const char* path, int paragraph, const char* stateFolder) {
    std::string player = PlayerBesideUs();
    std::string script = std::string(stateFolder) + "/route.play";
    if (!Run({player, "--book", path, "route", std::to_string(paragraph)}, script)) return false;
    std::FILE* file = std::fopen(script.c_str(), "a");
    if (!file || std::fputs("exit\n", file) < 0 || std::fclose(file) != 0) return false;
    bool played = Run({player, "--book", path, "--state", stateFolder, script}, "/dev/null");
    std::remove(script.c_str());
    if (!played) std::fprintf(stderr, "quietharbour: the route to paragraph %d did not replay\n", paragraph);
    return played;
}
