/* LD_PRELOAD library: modem lines for registered pseudo-terminals.
 *
 * Intercepts ioctl. For the modem requests (TIOCMGET/TIOCMBIS/TIOCMBIC/
 * TIOCMSET/TIOCMIWAIT/TIOCGICOUNT/TIOCGSERIAL) on a descriptor whose device
 * number is registered in the shared state file named by
 * KELVATRON_BARRIER_STATE, it answers from that state the way a serial
 * driver would; everything else goes to the real ioctl. TIOCMIWAIT sleeps on
 * a futex in the state file, so it can be interrupted by a signal (EINTR)
 * and fails with EIO once the line is unplugged, as a real driver's wait
 * does on hang-up.
 *
 * Built without sanitizers and without the C++ runtime: it gets preloaded
 * into sanitized test programs and into whatever they start. */
#define _GNU_SOURCE
#include "barrier_state.h"

#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <linux/serial.h>
#include <pthread.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/stat.h>

typedef int (*ioctl_fn)(int, unsigned long, ...);

/* Lets a program see that it runs with the preload in place. */
__attribute__((visibility("default"))) int kelvatron_barrier_preload_active = 1;

static ioctl_fn real_ioctl;
static kb_state* state;
static pthread_once_t once = PTHREAD_ONCE_INIT;

static void init(void)
{
    /* Through an object pointer: ISO C has no cast from data to function pointers. */
    *(void**)&real_ioctl = dlsym(RTLD_NEXT, "ioctl");
    const char* path = getenv("KELVATRON_BARRIER_STATE");
    if (path == NULL || *path == '\0')
        return;
    int fd = open(path, O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return;
    void* map = mmap(NULL, sizeof(kb_state), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    close(fd);
    if (map == MAP_FAILED)
        return;
    kb_state* s = (kb_state*)map;
    if (s->magic != KB_MAGIC || s->version != KB_VERSION) {
        munmap(map, sizeof(kb_state));
        return;
    }
    state = s;
}

static int is_modem_request(unsigned long request)
{
    switch (request) {
    case TIOCMGET:
    case TIOCMBIS:
    case TIOCMBIC:
    case TIOCMSET:
    case TIOCMIWAIT:
    case TIOCGICOUNT:
    case TIOCGSERIAL:
        return 1;
    default:
        return 0;
    }
}

static kb_line* find_line(int fd)
{
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode))
        return NULL;
    for (int i = 0; i < KB_MAX_LINES; ++i) {
        kb_line* l = &state->lines[i];
        if (__atomic_load_n(&l->rdev, __ATOMIC_SEQ_CST) == (uint64_t)info.st_rdev)
            return l;
    }
    return NULL;
}

static int fail(int error)
{
    errno = error;
    return -1;
}

static int wait_change(kb_line* l, unsigned long mask)
{
    if (__atomic_fetch_and(&l->flags, ~KB_EDGE_AT_WAIT, __ATOMIC_SEQ_CST) & KB_EDGE_AT_WAIT)
        kb_update(state, l, TIOCM_DSR, ~kb_load(&l->inputs), 0, 0);
    const uint32_t cts = kb_load(&l->cts), dsr = kb_load(&l->dsr);
    const uint32_t rng = kb_load(&l->rng), dcd = kb_load(&l->dcd);
    __atomic_add_fetch(&l->waits, 1u, __ATOMIC_SEQ_CST);
    for (;;) {
        const uint32_t seq = kb_load(&state->seq);
        if (kb_load(&l->flags) & KB_UNPLUGGED)
            return fail(EIO);
        if (((mask & TIOCM_CTS) && kb_load(&l->cts) != cts) ||
            ((mask & TIOCM_DSR) && kb_load(&l->dsr) != dsr) ||
            ((mask & TIOCM_RNG) && kb_load(&l->rng) != rng) ||
            ((mask & TIOCM_CD) && kb_load(&l->dcd) != dcd))
            return 0;
        if (syscall(SYS_futex, &state->seq, FUTEX_WAIT, seq, NULL, NULL, 0) != 0 && errno == EINTR)
            return -1;
    }
}

static int emulate(kb_line* l, int index, unsigned long request, void* arg)
{
    const uint32_t flags = kb_load(&l->flags);
    if (flags & KB_UNPLUGGED)
        return fail(EIO);
    switch (request) {
    case TIOCMGET:
        /* Under the lock, like a driver under its port lock: a status never
         * shows half of an update. */
        kb_lock(state);
        *(int*)arg = (int)kb_visible(kb_load(&l->inputs), kb_load(&l->outputs));
        kb_unlock(state);
        return 0;
    case TIOCMBIS:
        kb_update(state, l, 0, 0, (uint32_t) * (int*)arg & KB_OUTPUTS, KB_OUTPUTS);
        return 0;
    case TIOCMBIC:
        kb_update(state, l, 0, 0, (uint32_t) * (int*)arg & KB_OUTPUTS, 0);
        return 0;
    case TIOCMSET:
        kb_update(state, l, 0, 0, KB_OUTPUTS, (uint32_t) * (int*)arg);
        return 0;
    case TIOCMIWAIT:
        if (flags & KB_NO_MIWAIT)
            return fail(EINVAL);
        return wait_change(l, (unsigned long)arg);
    case TIOCGICOUNT: {
        if (flags & KB_NO_ICOUNT)
            return fail(EINVAL);
        struct serial_icounter_struct* c = (struct serial_icounter_struct*)arg;
        memset(c, 0, sizeof *c);
        kb_lock(state);
        c->cts = (int)kb_load(&l->cts);
        c->dsr = (int)kb_load(&l->dsr);
        c->rng = (int)kb_load(&l->rng);
        c->dcd = (int)kb_load(&l->dcd);
        kb_unlock(state);
        return 0;
    }
    case TIOCGSERIAL: {
        struct serial_struct* s = (struct serial_struct*)arg;
        memset(s, 0, sizeof *s);
        s->type = (flags & KB_NO_UART) ? PORT_UNKNOWN : PORT_16550A;
        s->line = index;
        s->baud_base = 115200;
        s->xmit_fifo_size = 16;
        return 0;
    }
    default:
        return fail(ENOTTY);
    }
}

__attribute__((visibility("default"))) int ioctl(int fd, unsigned long request, ...)
{
    va_list args;
    va_start(args, request);
    void* arg = va_arg(args, void*);
    va_end(args);

    pthread_once(&once, init);
    if (state != NULL && is_modem_request(request)) {
        kb_line* l = find_line(fd);
        if (l != NULL)
            return emulate(l, (int)(l - state->lines), request, arg);
    }
    if (real_ioctl == NULL)
        return fail(ENOSYS);
    return real_ioctl(fd, request, arg);
}
