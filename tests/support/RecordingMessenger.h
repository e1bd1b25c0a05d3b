#pragma once

#include "Messenger.h"

#include <QList>

#include <deque>

namespace trellum::test {

// Records every message and answers from a queue (OK, or Yes for a question, when it is empty).
class RecordingMessenger : public Messenger {
public:
    MessageAnswer show(const Message& message) override
    {
        messages.push_back(message);
        if (!answers.empty()) {
            const MessageAnswer a = answers.front();
            answers.pop_front();
            return a;
        }
        return message.buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
    }
    QStringList texts() const
    {
        QStringList out;
        for (const Message& m : messages)
            out << m.text;
        return out;
    }
    QList<Message> messages;
    std::deque<MessageAnswer> answers;
};

} // namespace trellum::test
