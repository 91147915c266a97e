#include "BarrierLine.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void fail(const std::string& what)
{
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

} // namespace

BarrierLine::BarrierLine(BarrierBoard& board, kb_line* line, std::string name)
    : m_board(board), m_line(line), m_name(std::move(name))
{
}

std::unique_ptr<BarrierLine> BarrierLine::create(BarrierBoard& board, const std::string& name)
{
    if (name.empty() || name.size() >= KB_NAME_SIZE)
        throw std::invalid_argument("bad line name: " + name);
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0)
        fail("posix_openpt");
    char slave[64];
    struct stat info = {};
    if (grantpt(master) != 0 || unlockpt(master) != 0 ||
        ptsname_r(master, slave, sizeof slave) != 0 || stat(slave, &info) != 0) {
        const int error = errno;
        close(master);
        errno = error;
        fail("cannot set up a pseudo-terminal");
    }

    kb_state* state = board.state();
    kb_line* claimed = nullptr;
    kb_lock(state);
    for (kb_line& line : state->lines) {
        if (__atomic_load_n(&line.rdev, __ATOMIC_SEQ_CST) != 0)
            continue;
        std::memset(line.name, 0, sizeof line.name);
        std::memcpy(line.name, name.c_str(), name.size());
        kb_store(&line.inputs, 0);
        kb_store(&line.outputs, 0);
        kb_store(&line.flags, 0);
        kb_store(&line.cts, 0);
        kb_store(&line.dsr, 0);
        kb_store(&line.rng, 0);
        kb_store(&line.dcd, 0);
        kb_store(&line.waits, 0);
        __atomic_store_n(&line.last_change_ns, 0, __ATOMIC_SEQ_CST);
        __atomic_store_n(&line.rdev, static_cast<std::uint64_t>(info.st_rdev), __ATOMIC_SEQ_CST);
        claimed = &line;
        break;
    }
    kb_unlock(state);
    if (claimed == nullptr) {
        close(master);
        throw std::runtime_error("barrier state has no free line");
    }
    std::unique_ptr<BarrierLine> line(new BarrierLine(board, claimed, name));
    line->m_slave = slave;
    line->m_master = master;
    return line;
}

std::unique_ptr<BarrierLine> BarrierLine::attach(BarrierBoard& board, const std::string& name)
{
    kb_line* line = board.find(name);
    if (line == nullptr)
        throw std::runtime_error("no barrier line " + name + " in " + board.path());
    return std::unique_ptr<BarrierLine>(new BarrierLine(board, line, name));
}

BarrierLine::~BarrierLine()
{
    if (m_slave.empty())
        return;
    // Free the slot before the pty goes: its device number may be reused.
    __atomic_store_n(&m_line->rdev, std::uint64_t{0}, __ATOMIC_SEQ_CST);
    kb_wake_all(m_board.state());
    if (m_master >= 0)
        close(m_master);
}

void BarrierLine::linkAs(const std::string& path) const
{
    unlink(path.c_str());
    if (symlink(m_slave.c_str(), path.c_str()) != 0)
        fail("cannot link " + path);
}

std::int64_t BarrierLine::setContact(bool closed)
{
    return setInputs(TIOCM_DSR, closed ? TIOCM_DSR : 0);
}

std::int64_t BarrierLine::setInputs(std::uint32_t mask, std::uint32_t bits)
{
    return kb_update(m_board.state(), m_line, mask & KB_INPUTS, bits, 0, 0);
}

void BarrierLine::setFlags(std::uint32_t flags, bool on)
{
    if (on)
        __atomic_or_fetch(&m_line->flags, flags, __ATOMIC_SEQ_CST);
    else
        __atomic_and_fetch(&m_line->flags, ~flags, __ATOMIC_SEQ_CST);
    kb_wake_all(m_board.state());
}

void BarrierLine::unplug()
{
    setFlags(KB_UNPLUGGED, true);
    closeIfUnplugged();
}

void BarrierLine::closeIfUnplugged()
{
    if (m_master >= 0 && (kb_load(&m_line->flags) & KB_UNPLUGGED) != 0) {
        close(m_master);
        m_master = -1;
    }
}

bool BarrierLine::dtr() const
{
    return (kb_load(&m_line->outputs) & TIOCM_DTR) != 0;
}

bool BarrierLine::rts() const
{
    return (kb_load(&m_line->outputs) & TIOCM_RTS) != 0;
}

bool BarrierLine::contactClosed() const
{
    return (kb_load(&m_line->inputs) & TIOCM_DSR) != 0;
}

std::uint32_t BarrierLine::dsrEdges() const
{
    return kb_load(&m_line->dsr);
}

std::uint32_t BarrierLine::waits() const
{
    return kb_load(&m_line->waits);
}

std::int64_t BarrierLine::lastChangeNs() const
{
    return __atomic_load_n(&m_line->last_change_ns, __ATOMIC_SEQ_CST);
}
