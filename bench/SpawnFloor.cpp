// The least any handler of a launch can cost: a program that starts its one
// line through /bin/sh and waits for it, and does nothing else. Beside the
// whole torvale process it tells what this machine charges for starting
// one process more from what torvale itself adds.

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    char sh[] = "/bin/sh", c[] = "-c";
    char* args[] = {sh, c, argv[1], nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, sh, nullptr, nullptr, args, environ) != 0) return 1;
    int status = 0;
    return waitpid(pid, &status, 0) == pid ? 0 : 1;
}
