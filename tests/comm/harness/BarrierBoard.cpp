#include "BarrierBoard.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/mman.h>
#include <unistd.h>

namespace {

[[noreturn]] void fail(const std::string& what, const std::string& path)
{
    throw std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}

kb_state* map(const std::string& path, bool fresh)
{
    const int flags = O_RDWR | O_CLOEXEC | (fresh ? (O_CREAT | O_TRUNC) : 0);
    const int fd = open(path.c_str(), flags, 0600);
    if (fd < 0)
        fail("cannot open barrier state", path);
    if (fresh && ftruncate(fd, sizeof(kb_state)) != 0) {
        close(fd);
        fail("cannot size barrier state", path);
    }
    void* memory = mmap(nullptr, sizeof(kb_state), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    close(fd);
    if (memory == MAP_FAILED)
        fail("cannot map barrier state", path);
    return static_cast<kb_state*>(memory);
}

} // namespace

BarrierBoard::BarrierBoard(std::string path, kb_state* state)
    : m_path(std::move(path)), m_state(state)
{
}

std::unique_ptr<BarrierBoard> BarrierBoard::create(const std::string& path)
{
    kb_state* state = map(path, true);
    // The file came from ftruncate and reads as zeros; the magic goes last.
    kb_store(&state->version, KB_VERSION);
    kb_store(&state->magic, KB_MAGIC);
    return std::unique_ptr<BarrierBoard>(new BarrierBoard(path, state));
}

std::unique_ptr<BarrierBoard> BarrierBoard::attach(const std::string& path)
{
    kb_state* state = map(path, false);
    if (kb_load(&state->magic) != KB_MAGIC || kb_load(&state->version) != KB_VERSION) {
        munmap(state, sizeof(kb_state));
        throw std::runtime_error("not a barrier state file: " + path);
    }
    return std::unique_ptr<BarrierBoard>(new BarrierBoard(path, state));
}

BarrierBoard::~BarrierBoard()
{
    munmap(m_state, sizeof(kb_state));
}

kb_line* BarrierBoard::find(const std::string& name) const
{
    for (kb_line& line : m_state->lines)
        if (__atomic_load_n(&line.rdev, __ATOMIC_SEQ_CST) != 0 && name == line.name)
            return &line;
    return nullptr;
}
