#pragma once

#include "core/IPortState.h"

class FakePortState : public IPortState
{
public:
    int number = 0;
    bool open = false;
    std::uint32_t status = 0;
    int refusals = 0;

    int portNumber() const override { return number; }
    bool isOpen() const override { return open; }
    std::uint32_t ModemStatus() override { return status; }
    void autoModeRefused() override { ++refusals; }
};
