#include "app/CMgrInput.h"

#include <algorithm>

#include "platform/InputHub.h"

CMgrInput InputMgr;

namespace {

bool IsKeyCode(int key) { return key >= 0 && key < CMgrInput::kKeyCount; }

}  // namespace

void CMgrInput::Init() { Reset(); }

void CMgrInput::KeyDown(int key)
{
    if (IsKeyCode(key)) keys[key] = 1;
}

void CMgrInput::KeyUp(int key)
{
    if (IsKeyCode(key)) keys[key] = 0;
}

bool CMgrInput::IsKeyDown(int key) const { return IsKeyCode(key) && keys[key] != 0; }

void CMgrInput::Reset()
{
    std::fill(std::begin(keys), std::end(keys), 0u);
    leftButton = false;
    rightButton = false;
}

bool CMgrInput::AnyKeyDown() const
{
    return std::any_of(std::begin(keys), std::end(keys), [](std::uint32_t flag) { return flag != 0; });
}

Point CMgrInput::GetCursor() { return InputHub::Cursor(); }
