#pragma once

// Something besides the windows' sockets that the message loop waits on, on its own thread:
// a descriptor with the events to wait for and a time limit, and the work to do when either
// comes. The desktop's bus connections are served this way, with no thread of their own.

namespace t47 {

class LoopSource {
  public:
    virtual ~LoopSource() = default;

    // -1 when there is nothing to wait on now.
    virtual int Descriptor() = 0;
    // poll() events.
    virtual short Events() = 0;
    // Milliseconds until Dispatch is due anyway; -1 for none.
    virtual int TimeoutMs() = 0;
    // Does what is ready; called after every wake of the loop, so it must be cheap when idle.
    virtual void Dispatch() = 0;
};

}  // namespace t47
