// Message boxes through SDL, or through the installed sink.
#include "platform/message.h"

#include <SDL.h>
#include <cstdio>

namespace pelx {

namespace {
// Written by setMessageSink (tests, capture tool); read by showMessage.
MessageSink messageSink;
} // namespace

void showMessage(const std::string& text, const std::string& caption) {
    if (messageSink) {
        messageSink(text, caption);
        return;
    }
    // Without a display the box cannot appear; the text must not be lost, so it goes to stderr.
    if (SDL_ShowSimpleMessageBox(0, caption.c_str(), text.c_str(), nullptr) != 0)
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

void setMessageSink(MessageSink sink) { messageSink = std::move(sink); }

MessageSink currentMessageSink() { return messageSink; }

MessageSink stderrMessageSink() {
    return [](const std::string& text, const std::string& caption) {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    };
}

} // namespace pelx
