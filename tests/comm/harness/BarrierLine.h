#pragma once

#include "BarrierBoard.h"

#include <cstdint>
#include <memory>
#include <string>

// One serial line of the harness: a pseudo-terminal whose slave side the
// preload library equips with modem lines. The owner of a line holds the
// pty master; closing it hangs the slave up like a pulled adapter.
class BarrierLine
{
public:
    // A new pseudo-terminal registered on `board` under `name` (e.g. "ttyS0").
    static std::unique_ptr<BarrierLine> create(BarrierBoard& board, const std::string& name);
    // Control of a line registered by another process; owns no pty.
    static std::unique_ptr<BarrierLine> attach(BarrierBoard& board, const std::string& name);

    ~BarrierLine();
    BarrierLine(const BarrierLine&) = delete;
    BarrierLine& operator=(const BarrierLine&) = delete;

    const std::string& name() const { return m_name; }
    // "/dev/pts/N" of an owned line.
    const std::string& slavePath() const { return m_slave; }
    // Makes `path` a symbolic link to the slave, as a device folder entry.
    void linkAs(const std::string& path) const;

    // Closes (true) or opens the barrier contact between DTR and DSR.
    // Returns the CLOCK_MONOTONIC time of the change in nanoseconds.
    std::int64_t setContact(bool closed);
    // Drives any of CTS, DSR (the contact), RI, DCD (TIOCM_ bits).
    std::int64_t setInputs(std::uint32_t mask, std::uint32_t bits);
    void setFlags(std::uint32_t flags, bool on);
    // The adapter is pulled out: every modem ioctl fails with EIO, waits end,
    // and an owned pty master is closed so the slave is hung up for good.
    void unplug();
    // Closes the master if another process unplugged the line.
    void closeIfUnplugged();

    bool dtr() const;
    bool rts() const;
    bool contactClosed() const;
    std::uint32_t dsrEdges() const;
    // TIOCMIWAIT entries so far: a waiter that came back for more.
    std::uint32_t waits() const;
    std::int64_t lastChangeNs() const;

private:
    BarrierLine(BarrierBoard& board, kb_line* line, std::string name);

    BarrierBoard& m_board;
    kb_line* m_line;
    std::string m_name;
    std::string m_slave;
    int m_master = -1;
};
