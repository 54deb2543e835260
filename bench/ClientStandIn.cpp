// A client that says the moment it starts: one byte into the FIFO named
// after the path it was started by (ARGV0.fifo), then it ends well. Linked
// as spawn_floor is, so that it starts alike whoever starts it.

#include <fcntl.h>
#include <unistd.h>

#include <string>

int main(int, char** argv) {
    const std::string fifo = std::string(argv[0]) + ".fifo";
    const int fd = open(fifo.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return 1;
    const bool said = write(fd, "!", 1) == 1;
    close(fd);
    return said ? 0 : 1;
}
