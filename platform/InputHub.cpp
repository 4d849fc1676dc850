// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/InputHub.h"

#include <utility>

namespace {

InputHub::Listener& Handler()
{
    static InputHub::Listener handler;
    return handler;
}

InputHub::Listener& Recorder()
{
    static InputHub::Listener recorder;
    return recorder;
}

Point cursor;

bool CarriesPosition(InputEventType type)
{
    return type == InputEventType::MouseMove || type == InputEventType::ButtonDown ||
           type == InputEventType::ButtonUp;
}

}  // namespace

void InputHub::SetHandler(Listener handler) { Handler() = std::move(handler); }
void InputHub::SetRecorder(Listener recorder) { Recorder() = std::move(recorder); }

void InputHub::Deliver(const InputEvent& event)
{
    if (CarriesPosition(event.type)) cursor = {event.x, event.y};
    if (Recorder()) Recorder()(event);
    if (Handler()) Handler()(event);
}

Point InputHub::Cursor() { return cursor; }
void InputHub::ResetCursor() { cursor = {}; }
