#pragma once
// Message boxes, routed through a replaceable handler.
//
// The plug-in shows OK, OK/Cancel and Yes/No boxes titled with the product
// name.  Headless (the default) the text goes to standard error and the safe
// answer is taken: OK for a notice, Cancel or No for a question, because the
// questions this product asks guard overwriting or deleting something.
// Tests install their own handler, and so does the X11 window layer while
// an editor is open on a display (X11MessageBoxes.h).

#include <functional>
#include <string>

namespace platform {

enum class MessageKind { Ok, OkCancel, YesNo };
enum class MessageAnswer { Ok, Cancel, Yes, No };

struct MessageRequest {
    MessageKind kind = MessageKind::Ok;
    std::string title;
    std::string text;
};

using MessageHandler = std::function<MessageAnswer(const MessageRequest&)>;

// Shows a box and waits for its answer, inside a ModalWait (ModalWait.h):
// where the thread must not wait, a notice is kept for later and a question
// takes its safe answer.  Host/GUI thread only.
MessageAnswer showMessage(MessageKind kind, const std::string& title, const std::string& text);

// Replaces the handler; an empty handler restores the headless default.
// Answers the handler that was installed before.  Any thread, not while a box
// is showing.
MessageHandler setMessageHandler(MessageHandler handler);

// The answer the headless handler gives for a kind of box.
MessageAnswer safeAnswer(MessageKind kind);

// The headless handler: the title and text to standard error, the safe
// answer.  Also where a window layer's handler turns when it cannot show a box.
MessageAnswer answerHeadless(const MessageRequest& request);

// Non-blocking report for threads that must not wait for a box (the audio
// thread among them): records a static text without locking or allocating.
// Texts are kept until drained; when the ring is full, later ones are dropped.
void reportNonBlocking(const char* staticText);

// Takes the pending non-blocking reports in order and passes each to the
// message log (standard error by default).  Any thread but the audio thread.
void drainNonBlockingReports(const std::function<void(const char*)>& sink = {});

}  // namespace platform
