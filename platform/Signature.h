// SPDX-License-Identifier: GPL-3.0-or-later
// A 64-bit digest of a list of values, for telling cheaply whether what a
// frame is drawn from has changed: equal lists give equal digests, and
// different ones the same digest only by a chance of about one in 2^64.
#pragma once

#include <cstdint>
#include <cstring>

class Signature {
public:
    void Add(std::uint64_t value)
    {
        digest = (digest ^ value) * 0x9E3779B97F4A7C15ull;
        digest ^= digest >> 29;
    }
    void Add(float value)
    {
        std::uint32_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        Add(static_cast<std::uint64_t>(bits));
    }
    void Add(int value) { Add(static_cast<std::uint64_t>(static_cast<std::uint32_t>(value))); }
    void Add(bool value) { Add(static_cast<std::uint64_t>(value)); }
    void Add(const void* pointer) { Add(static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(pointer))); }
    std::uint64_t Digest() const { return digest; }

private:
    std::uint64_t digest = 0x2545F4914F6CDD1Dull;
};
