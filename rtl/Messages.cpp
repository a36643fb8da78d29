#include "rtl/Messages.h"

#include <cstdio>
#include <utility>

namespace rtl {

namespace {

MessageHandler &currentHandler()
{
    static MessageHandler handler;
    return handler;
}

} // namespace

void ShowMessage(const std::string &text)
{
    // Copy first: a handler may replace itself while it runs.
    const MessageHandler handler = currentHandler();
    if (handler) {
        handler(text);
        return;
    }
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
}

MessageHandler SetMessageHandler(MessageHandler handler)
{
    return std::exchange(currentHandler(), std::move(handler));
}

MessageRecorder::MessageRecorder()
    : previous_(SetMessageHandler([this](const std::string &text) { messages_.push_back(text); }))
{
}

MessageRecorder::~MessageRecorder()
{
    SetMessageHandler(std::move(previous_));
}

} // namespace rtl
