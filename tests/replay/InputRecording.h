// SPDX-License-Identifier: GPL-3.0-or-later
// A recorded game: every input event the game received, with the number of
// the frame in which it arrived. Stored as text, one event a line:
//
//     <frame> KeyDown <key>          <frame> ButtonDown Left|Right <x> <y>
//     <frame> KeyUp <key>            <frame> ButtonUp Left|Right <x> <y>
//     <frame> MouseMove <x> <y>      <frame> Resize <width> <height>
//     <frame> Close                  <frame> ToggleFullScreen
//
// Frames never go back. Reading rejects the whole text at its first bad line
// and says which line and why.
#pragma once

#include <string>
#include <vector>

#include "platform/InputEvent.h"

struct RecordedEvent {
    int frame = 0;
    InputEvent event;

    bool operator==(const RecordedEvent&) const = default;
};

class InputRecording {
public:
    std::vector<RecordedEvent> events;

    void Add(int frame, const InputEvent& event) { events.push_back({frame, event}); }
    // The events that arrived in one frame, in their order.
    std::vector<InputEvent> EventsOfFrame(int frame) const;

    std::string ToText() const;
    // Answers false and a message naming the line when the text is not a
    // recording; `into` is left unchanged then.
    static bool FromText(const std::string& text, InputRecording& into, std::string& error);
};
