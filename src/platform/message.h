// Modal message boxes with one OK button and no owner. Automated runs replace the box with
// a sink that records or prints, so nothing ever waits for a click.
#pragma once

#include "platform/scoped_swap.h"

#include <functional>
#include <string>

namespace pelx {

using MessageSink = std::function<void(const std::string& text, const std::string& caption)>;

void showMessage(const std::string& text, const std::string& caption);

// An empty sink restores the real message box.
void setMessageSink(MessageSink sink);
// The sink installed now (empty: the real message box).
MessageSink currentMessageSink();
// Installs a sink while it lives (scoped_swap.h).
using ScopedMessageSink = ScopedSwap<MessageSink, currentMessageSink, setMessageSink>;

// A sink that prints "caption: text" to standard error.
MessageSink stderrMessageSink();

} // namespace pelx
