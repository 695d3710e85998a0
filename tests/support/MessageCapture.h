#pragma once
// Records every message box shown while it lives and answers them from a
// script (default: the headless safe answer).

#include <deque>
#include <string>
#include <vector>

#include "platform/Dialogs.h"

class MessageCapture {
public:
    MessageCapture();
    ~MessageCapture();
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    // Answers given to the next boxes, in order; after that the safe answer.
    void script(std::initializer_list<platform::MessageAnswer> answers);

    const std::vector<platform::MessageRequest>& shown() const { return requests; }
    std::vector<std::string> texts() const;
    void clear() { requests.clear(); }

private:
    std::vector<platform::MessageRequest> requests;
    std::deque<platform::MessageAnswer> answers;
    platform::MessageHandler previous;
};
