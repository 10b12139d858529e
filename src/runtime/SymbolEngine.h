// Loads the symbol information of the process once, at start-up, so that call stacks can be named.
#pragma once

class SymbolEngine {
public:
    // On failure writes the start-up failure message to errorLog; call stacks are then empty.
    SymbolEngine();
    virtual ~SymbolEngine() = default;

    bool Ready() const { return m_ready; }
    // Tests only: pretend symbols are (un)available.
    void SetReadyForTests(bool ready) { m_ready = ready; }

private:
    bool m_ready = false;
};

extern SymbolEngine symbolEngine;
