#pragma once

#include <cstdint>
#include <string>

// How the Main CPU update tells the operator what happens: one status text per step and a progress
// bar. Every call comes on the front end's own thread.
class CLoadReporter {
  public:
    virtual ~CLoadReporter() = default;

    virtual void SetStatusText(const std::string& text) = 0;
    // The bar's range becomes 0 .. nUpper.
    virtual void SetProgressRange(std::uint16_t nUpper) = 0;
    virtual void SetProgressPos(int nPosition) = 0;
    virtual void StepProgress() = 0;
    // Serves whatever the front end has waiting (its window's events), then returns.
    virtual void PumpMessages() = 0;
};
