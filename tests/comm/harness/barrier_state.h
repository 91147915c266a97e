/* Modem lines of pseudo-terminals, kept in a small shared file.
 *
 * Pseudo-terminals have no modem-control lines. The barrier preload library
 * gives the slave side of registered pseudo-terminals a DTR/RTS output and
 * CTS/DSR/RI/DCD inputs whose state lives here, so a test or a script in
 * another process can close and open "the barrier contact". The contact lies
 * between DTR and DSR as on the real connector: DSR reads on only while the
 * contact is closed and the program holds DTR on.
 *
 * Plain C with GCC atomics so the uninstrumented preload library and
 * sanitized C++ tests share it. */
#ifndef KELVATRON_BARRIER_STATE_H
#define KELVATRON_BARRIER_STATE_H

#include <limits.h>
#include <linux/futex.h>
#include <sched.h>
#include <stdint.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#define KB_MAGIC 0x4B424152u /* "KBAR" */
#define KB_VERSION 1u
#define KB_MAX_LINES 16
#define KB_NAME_SIZE 32

/* Line flags. */
#define KB_UNPLUGGED 0x1u /* every modem ioctl fails with EIO, waits end */
#define KB_NO_MIWAIT 0x2u /* TIOCMIWAIT fails with EINVAL, like drivers without it */
#define KB_NO_ICOUNT 0x4u /* TIOCGICOUNT fails with EINVAL */
#define KB_NO_UART 0x8u   /* TIOCGSERIAL reports PORT_UNKNOWN */
/* The next TIOCMIWAIT flips the contact just before it takes its own look at
 * the counters, like an edge landing between a caller's last look and the
 * kernel's; the flag clears itself. */
#define KB_EDGE_AT_WAIT 0x10u

/* The inputs a harness can drive. */
#define KB_INPUTS (TIOCM_CTS | TIOCM_DSR | TIOCM_RNG | TIOCM_CD)
/* The outputs the program drives. */
#define KB_OUTPUTS (TIOCM_DTR | TIOCM_RTS)

typedef struct kb_line
{
    uint64_t rdev; /* device number of the pty slave; 0 marks a free slot */
    char name[KB_NAME_SIZE];
    uint32_t inputs;  /* KB_INPUTS; TIOCM_DSR here means "contact closed" */
    uint32_t outputs; /* KB_OUTPUTS as set by the program */
    uint32_t flags;
    uint32_t cts, dsr, rng, dcd; /* edge counters like the kernel's icount */
    uint32_t waits;              /* TIOCMIWAIT entries so far */
    int64_t last_change_ns;      /* CLOCK_MONOTONIC of the latest visible change */
} kb_line;

typedef struct kb_state
{
    uint32_t magic;
    uint32_t version;
    uint32_t seq;  /* futex word: bumped after every change */
    uint32_t lock; /* spin lock over the lines */
    kb_line lines[KB_MAX_LINES];
} kb_state;

static inline uint32_t kb_load(const uint32_t* p)
{
    return __atomic_load_n(p, __ATOMIC_SEQ_CST);
}

static inline void kb_store(uint32_t* p, uint32_t v)
{
    __atomic_store_n(p, v, __ATOMIC_SEQ_CST);
}

static inline int64_t kb_now_ns(void)
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (int64_t)ts.tv_sec * 1000000000 + ts.tv_nsec;
}

static inline void kb_lock(kb_state* s)
{
    /* Sleeps rather than yields: a real-time waiter that only yielded would
     * never let an ordinary holder on its core finish. */
    const struct timespec pause = {0, 1000};
    while (__atomic_exchange_n(&s->lock, 1u, __ATOMIC_ACQUIRE) != 0)
        nanosleep(&pause, NULL);
}

static inline void kb_unlock(kb_state* s)
{
    __atomic_store_n(&s->lock, 0u, __ATOMIC_RELEASE);
}

/* The TIOCM word the program reads. */
static inline uint32_t kb_visible(uint32_t inputs, uint32_t outputs)
{
    uint32_t bits = (inputs & (TIOCM_CTS | TIOCM_RNG | TIOCM_CD)) | (outputs & KB_OUTPUTS);
    if ((inputs & TIOCM_DSR) && (outputs & TIOCM_DTR))
        bits |= TIOCM_DSR;
    return bits;
}

static inline void kb_wake_all(kb_state* s)
{
    __atomic_add_fetch(&s->seq, 1u, __ATOMIC_SEQ_CST);
    syscall(SYS_futex, &s->seq, FUTEX_WAKE, INT_MAX, NULL, NULL, 0);
}

/* Sets inputs and outputs (bits outside the masks are kept), counts the
 * edges that became visible and wakes every waiter. Returns the time of the
 * change. */
static inline int64_t kb_update(kb_state* s, kb_line* l, uint32_t in_mask, uint32_t in_bits,
                                uint32_t out_mask, uint32_t out_bits)
{
    int64_t now;
    kb_lock(s);
    uint32_t in = kb_load(&l->inputs), out = kb_load(&l->outputs);
    uint32_t before = kb_visible(in, out);
    in = (in & ~in_mask) | (in_bits & in_mask);
    out = (out & ~out_mask) | (out_bits & out_mask);
    uint32_t after = kb_visible(in, out);
    uint32_t changed = before ^ after;
    now = kb_now_ns();
    if (changed & TIOCM_CTS)
        __atomic_add_fetch(&l->cts, 1u, __ATOMIC_SEQ_CST);
    if (changed & TIOCM_DSR)
        __atomic_add_fetch(&l->dsr, 1u, __ATOMIC_SEQ_CST);
    if (changed & TIOCM_RNG)
        __atomic_add_fetch(&l->rng, 1u, __ATOMIC_SEQ_CST);
    if (changed & TIOCM_CD)
        __atomic_add_fetch(&l->dcd, 1u, __ATOMIC_SEQ_CST);
    if (changed)
        __atomic_store_n(&l->last_change_ns, now, __ATOMIC_SEQ_CST);
    kb_store(&l->inputs, in);
    kb_store(&l->outputs, out);
    kb_unlock(s);
    kb_wake_all(s);
    return now;
}

#endif
