#include "support/MessageCapture.h"

MessageCapture::MessageCapture() {
    previous = platform::setMessageHandler([this](const platform::MessageRequest& request) {
        requests.push_back(request);
        if (answers.empty()) return platform::safeAnswer(request.kind);
        const platform::MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    });
}

MessageCapture::~MessageCapture() { platform::setMessageHandler(previous); }

void MessageCapture::script(std::initializer_list<platform::MessageAnswer> list) {
    answers.assign(list.begin(), list.end());
}

std::vector<std::string> MessageCapture::texts() const {
    std::vector<std::string> result;
    for (const auto& request : requests) result.push_back(request.text);
    return result;
}
