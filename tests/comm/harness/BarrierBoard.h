#pragma once

#include "barrier_state.h"

#include <memory>
#include <string>

// The shared state file of the barrier harness, mapped into this process.
class BarrierBoard
{
public:
    // A fresh, empty state file at `path` (replaces an existing one).
    static std::unique_ptr<BarrierBoard> create(const std::string& path);
    // An existing state file, e.g. one a running `kelvatron-barrier setup` made.
    static std::unique_ptr<BarrierBoard> attach(const std::string& path);

    ~BarrierBoard();
    BarrierBoard(const BarrierBoard&) = delete;
    BarrierBoard& operator=(const BarrierBoard&) = delete;

    const std::string& path() const { return m_path; }
    kb_state* state() const { return m_state; }
    // The registered line called `name`, or nullptr.
    kb_line* find(const std::string& name) const;

private:
    BarrierBoard(std::string path, kb_state* state);

    std::string m_path;
    kb_state* m_state;
};
