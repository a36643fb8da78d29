// The one way any layer shows the user a message: a modal box with an OK
// button in the window, a line on stderr in the command line, a record in
// tests. Whoever owns the process installs the handler.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace rtl {

using MessageHandler = std::function<void(const std::string &)>;

// Shows text through the installed handler and returns when the user has
// acknowledged it. Without a handler the text goes to stderr.
void ShowMessage(const std::string &text);

// Installs handler (an empty one restores the stderr default) and returns
// the one it replaces.
MessageHandler SetMessageHandler(MessageHandler handler);

// Records every message while it lives, then puts the previous handler
// back. For tests and for callers that report messages themselves.
class MessageRecorder {
public:
    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder &) = delete;
    MessageRecorder &operator=(const MessageRecorder &) = delete;

    const std::vector<std::string> &Messages() const { return messages_; }
    void Clear() { messages_.clear(); }

private:
    std::vector<std::string> messages_;
    MessageHandler previous_;
};

} // namespace rtl
