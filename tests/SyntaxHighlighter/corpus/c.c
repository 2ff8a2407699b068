#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include "ringbuf.h"

#define RING_CAPACITY 64
#define MIN(a, b) ((a) < (b) ? (a) : (b))

struct ring {
    unsigned char data[RING_CAPACITY];
    size_t head, tail;
};

/**
 * ring_push - append up to @len bytes
 * @r: the buffer
 *
 * Returns the number of bytes stored, or -EINVAL for a null buffer.
 */
static long ring_push(struct ring *r, const void *src, size_t len)
{
    if (r == NULL || src == NULL)
        return -EINVAL;
    size_t room = RING_CAPACITY - (r->head - r->tail);
    size_t n = MIN(len, room);
    for (size_t i = 0; i < n; i++)
        r->data[(r->head + i) % RING_CAPACITY] = ((const unsigned char *)src)[i];
    r->head += n;
    return (long)n;
}

int main(int argc, char **argv)
{
    struct ring r = {0};
    const char *msg = argc > 1 ? argv[1] : "hello, \"ring\"\n";
    long stored = ring_push(&r, msg, strlen(msg));
    if (stored < 0) {
        fprintf(stderr, "push failed: %ld\n", stored);
        return EXIT_FAILURE;
    }
    printf("%ld bytes, %zu free\n", stored, RING_CAPACITY - (size_t)stored);
    return 0;
}
