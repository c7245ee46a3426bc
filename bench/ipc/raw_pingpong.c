#include "raw_pingpong.h"

#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

static int read_all(int fd, char* buffer, size_t size)
{
    size_t done = 0;
    while (done < size) {
        ssize_t count = read(fd, buffer + done, size - done);
        if (count <= 0) {
            return -1;
        }
        done += (size_t)count;
    }
    return 0;
}

static int write_all(int fd, const char* buffer, size_t size)
{
    size_t done = 0;
    while (done < size) {
        ssize_t count = send(fd, buffer + done, size - done, MSG_NOSIGNAL);
        if (count <= 0) {
            return -1;
        }
        done += (size_t)count;
    }
    return 0;
}

static void address_of(struct sockaddr_un* address, const char* dir, const char* name)
{
    memset(address, 0, sizeof *address);
    address->sun_family = AF_UNIX;
    snprintf(address->sun_path, sizeof address->sun_path, "%s/%s", dir, name);
}

static int listen_at(const char* dir, const char* name)
{
    struct sockaddr_un address;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    address_of(&address, dir, name);
    unlink(address.sun_path);
    if (fd < 0 || bind(fd, (struct sockaddr*)&address, sizeof address) != 0 || listen(fd, 1) != 0) {
        return -1;
    }
    return fd;
}

static int connect_to(const char* dir, const char* name)
{
    struct sockaddr_un address;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    address_of(&address, dir, name);
    if (fd < 0 || connect(fd, (struct sockaddr*)&address, sizeof address) != 0) {
        return -1;
    }
    return fd;
}

static void echo(const char* dir, size_t size)
{
    int in = connect_to(dir, "raw-down");
    int out = connect_to(dir, "raw-up");
    char* buffer = malloc(size);
    while (buffer && in >= 0 && out >= 0 && read_all(in, buffer, size) == 0 &&
           write_all(out, buffer, size) == 0) {
    }
    _exit(0);
}

int raw_start(struct raw_pair* pair, const char* dir, size_t size)
{
    int down = listen_at(dir, "raw-down");
    int up = listen_at(dir, "raw-up");
    if (down < 0 || up < 0) {
        return -1;
    }
    pair->child = fork();
    if (pair->child == 0) {
        echo(dir, size);
    }
    pair->to_child = accept(down, NULL, NULL);
    pair->from_child = accept(up, NULL, NULL);
    close(down);
    close(up);
    return pair->to_child >= 0 && pair->from_child >= 0 ? 0 : -1;
}

int raw_round_trip(struct raw_pair* pair, char* buffer, size_t size)
{
    if (write_all(pair->to_child, buffer, size) != 0) {
        return -1;
    }
    return read_all(pair->from_child, buffer, size);
}

void raw_stop(struct raw_pair* pair)
{
    close(pair->to_child);
    close(pair->from_child);
    waitpid(pair->child, NULL, 0);
}
