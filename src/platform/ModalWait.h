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
// Any thread but the audio thread; the marks are the calling thread's own.

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

// The calling thread is inside a NoModalWait.
bool modalWaitForbidden();

// Keeps a notice until the calling thread's outermost NoModalWait ends.
void keepNotice(const MessageRequest& request);

}  // namespace platform
