// SPDX-License-Identifier: GPL-3.0-or-later
#include "InputRecording.h"

#include <climits>
#include <sstream>

namespace {

const char* TypeName(InputEventType type)
{
    switch (type) {
    case InputEventType::KeyDown: return "KeyDown";
    case InputEventType::KeyUp: return "KeyUp";
    case InputEventType::ButtonDown: return "ButtonDown";
    case InputEventType::ButtonUp: return "ButtonUp";
    case InputEventType::MouseMove: return "MouseMove";
    case InputEventType::Close: return "Close";
    case InputEventType::Resize: return "Resize";
    case InputEventType::ToggleFullScreen: return "ToggleFullScreen";
    case InputEventType::Drop: return "Drop";
    case InputEventType::Wheel: return "Wheel";
    case InputEventType::Focus: return "Focus";
    case InputEventType::Shown: return "Shown";
    }
    return "?";
}

bool TypeFromName(const std::string& name, InputEventType& type)
{
    for (InputEventType t : {InputEventType::KeyDown, InputEventType::KeyUp, InputEventType::ButtonDown,
                             InputEventType::ButtonUp, InputEventType::MouseMove, InputEventType::Close,
                             InputEventType::Resize, InputEventType::ToggleFullScreen, InputEventType::Drop,
                             InputEventType::Wheel, InputEventType::Focus, InputEventType::Shown}) {
        if (name == TypeName(t)) {
            type = t;
            return true;
        }
    }
    return false;
}

// A wheel's steps are kept where a key's code is.
bool IsKey(InputEventType type)
{
    return type == InputEventType::KeyDown || type == InputEventType::KeyUp || type == InputEventType::Wheel;
}
bool IsButton(InputEventType type) { return type == InputEventType::ButtonDown || type == InputEventType::ButtonUp; }
bool HasPosition(InputEventType type)
{
    return IsButton(type) || type == InputEventType::MouseMove || type == InputEventType::Resize ||
           type == InputEventType::Wheel || type == InputEventType::Focus || type == InputEventType::Shown;
}

// One line into an event; an empty answer means it parsed.
std::string ParseLine(const std::string& line, RecordedEvent& out)
{
    std::istringstream in(line);
    long long frame = -1;
    std::string typeName;
    if (!(in >> frame) || frame < 0 || frame > INT_MAX) return "no frame number";
    if (!(in >> typeName) || !TypeFromName(typeName, out.event.type)) return "unknown event";
    out.frame = static_cast<int>(frame);
    const InputEventType type = out.event.type;
    if (IsKey(type)) {
        if (!(in >> out.event.key)) return "key code out of range";
        if (type == InputEventType::Wheel ? out.event.key == 0 : out.event.key <= 0 || out.event.key >= 256)
            return "key code out of range";
    }
    if (IsButton(type)) {
        std::string button;
        in >> button;
        if (button == "Left")
            out.event.button = MouseButton::Left;
        else if (button == "Right")
            out.event.button = MouseButton::Right;
        else if (button == "Middle")
            out.event.button = MouseButton::Middle;
        else
            return "unknown mouse button";
    }
    if (HasPosition(type)) {
        if (!(in >> out.event.x >> out.event.y)) return "missing position";
    }
    if (type == InputEventType::Drop) {
        // The dropped text is the rest of the line, after one space.
        std::getline(in, out.event.text);
        if (!out.event.text.empty() && out.event.text.front() == ' ') out.event.text.erase(0, 1);
        return out.event.text.empty() ? "nothing dropped" : "";
    }
    std::string rest;
    if (in >> rest) return "unexpected text after the event";
    return {};
}

}  // namespace

std::vector<InputEvent> InputRecording::EventsOfFrame(int frame) const
{
    std::vector<InputEvent> found;
    for (const RecordedEvent& e : events) {
        if (e.frame == frame) found.push_back(e.event);
    }
    return found;
}

std::string InputRecording::ToText() const
{
    std::ostringstream out;
    for (const RecordedEvent& e : events) {
        const InputEventType type = e.event.type;
        out << e.frame << ' ' << TypeName(type);
        if (IsKey(type)) out << ' ' << e.event.key;
        if (IsButton(type))
            out << ' '
                << (e.event.button == MouseButton::Left    ? "Left"
                    : e.event.button == MouseButton::Right ? "Right"
                                                           : "Middle");
        if (HasPosition(type)) out << ' ' << e.event.x << ' ' << e.event.y;
        if (type == InputEventType::Drop) out << ' ' << e.event.text;
        out << '\n';
    }
    return out.str();
}

bool InputRecording::FromText(const std::string& text, InputRecording& into, std::string& error)
{
    InputRecording read;
    std::istringstream in(text);
    std::string line;
    int lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find_first_not_of(" \t") == std::string::npos) continue;
        RecordedEvent event;
        std::string why = ParseLine(line, event);
        if (why.empty() && !read.events.empty() && event.frame < read.events.back().frame) why = "frame goes back";
        if (!why.empty()) {
            error = "line " + std::to_string(lineNumber) + ": " + why;
            return false;
        }
        read.events.push_back(event);
    }
    into = std::move(read);
    error.clear();
    return true;
}
