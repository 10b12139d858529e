// Loads the symbol information of the process once, at start-up, so that call stacks can be named.
#pragma once

class SymbolEngine {
public:
    // On failure writes the start-up failure message to errorLog; call stacks are then empty.
    SymbolEngine();
    virtual ~SymbolEngine() = default;

    // False also while the symbol-lookup fault is armed.
    bool Ready() const;

private:
    bool m_ready = false;
};

extern SymbolEngine symbolEngine;
