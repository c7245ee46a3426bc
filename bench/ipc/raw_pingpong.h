#ifndef TAVRIN_BENCH_RAW_PINGPONG_H
#define TAVRIN_BENCH_RAW_PINGPONG_H

#include <stddef.h>
#include <sys/types.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Two local stream sockets in `dir`, one per direction, with a child process that echoes
   every message of `size` bytes: the bare system calls the message channel is built on. */
struct raw_pair
{
    int to_child;
    int from_child;
    pid_t child;
};

int raw_start(struct raw_pair* pair, const char* dir, size_t size);
/* Sends `size` bytes of `buffer` and reads the echo back into it; 0 on success. */
int raw_round_trip(struct raw_pair* pair, char* buffer, size_t size);
void raw_stop(struct raw_pair* pair);

#ifdef __cplusplus
}
#endif

#endif
