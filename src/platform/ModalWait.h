#pragma once
// Waits on a person: a message box, a file dialog, a drag out of the
// plug-in.  Nobody waits on a thread while that thread waits on a person:
// around each such wait the thread gives away what others may wait for and
// takes it back afterwards.  What that is belongs to the layers above, which
// install a lender (core/StateTurn.h lends the instance's turn); showMessage,
// runFileDialog and dragFileOut run their waits inside a ModalWait.
//
// A thread that holds what others wait for and cannot lend (the engine, a
// lock of the models) marks that span with a NoModalWait.  A notice raised
// there is kept and shown when the thread's outermost NoModalWait ends;
// a question takes its safe answer and a file dialog answers "cancelled"
// (debug builds assert against both: nothing may ask a person there).
//
// A host call (a restore, a save, a preset the host sets, a program change
// the loader applies) is such a span too, and more: it must return as soon
// as its work is done, so what it would tell the person is not shown when it
// ends but handed over (HostCall::takeNotices) to whoever tells the person
// afterwards, on the GUI thread.  Debug builds assert that nobody waits on
// a person inside a host call, nor off the GUI thread while one is under way
// on any thread.
//
// Any thread but the audio thread; the marks are the calling thread's own.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/Dialogs.h"

namespace platform {

// What a thread gives away for a wait and takes back after it.  One
// process-wide lender; both functions act on the calling thread.
struct ModalLender {
    void (*lend)() = nullptr;
    void (*takeBack)() = nullptr;
};

// Installs the lender (the layer that owns what is lent, once, before any
// wait) and answers the one installed before.  Any thread, with no wait
// under way.
ModalLender setModalLender(ModalLender lender);

// One wait on a person, from construction to destruction.
class ModalWait {
public:
    ModalWait();
    ~ModalWait();
    ModalWait(const ModalWait&) = delete;
    ModalWait& operator=(const ModalWait&) = delete;
};

// A span in which the thread must not wait on a person: begun and ended in
// pairs on one thread (nested spans count); the end of the outermost shows
// the notices kept meanwhile, in order.
void beginNoModalWait();
void endNoModalWait();

class NoModalWait {
public:
    NoModalWait() { beginNoModalWait(); }
    ~NoModalWait() { endNoModalWait(); }
    NoModalWait(const NoModalWait&) = delete;
    NoModalWait& operator=(const NoModalWait&) = delete;
};

// A host call under way on this thread, from construction to destruction
// (nested calls count): a NoModalWait whose notices are taken rather than
// shown.  What was not taken by the end shows as a NoModalWait's notices do,
// which debug builds assert against.
class HostCall {
public:
    HostCall();
    ~HostCall();
    HostCall(const HostCall&) = delete;
    HostCall& operator=(const HostCall&) = delete;

    // The notices kept on this thread since the call began, in order; they
    // are no longer shown here.
    std::vector<MessageRequest> takeNotices();

private:
    size_t firstNotice;
};

// The calling thread is inside a NoModalWait.
bool modalWaitForbidden();
// The calling thread serves a host call.
bool servingHostCall();
// Host calls under way on every thread of the process.  Any thread.
int32_t hostCallsUnderWay();

// Keeps a notice until the calling thread's outermost NoModalWait ends.
void keepNotice(const MessageRequest& request);

}  // namespace platform
