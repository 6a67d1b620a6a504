// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace Qorvin::LocalService {

// Every "random" choice of the service derives from this seed, so its pages never change.
inline constexpr std::uint64_t ServiceSeed = 0x51a7'2006'0b41'd0e5ULL;

// splitmix64: a cheap hash whose every output bit depends on every input bit.
constexpr std::uint64_t mixed(std::uint64_t x)
{
    x += 0x9e37'79b9'7f4a'7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58'476d'1ce4'e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d0'49bb'1331'11ebULL;
    return x ^ (x >> 31);
}

// The hash of one decision (salt) about one thing (key).
constexpr std::uint64_t seededHash(std::uint64_t key, std::uint64_t salt)
{
    return mixed(ServiceSeed ^ mixed(key) ^ (salt * 0x1000'0000'01b3ULL));
}

} // namespace Qorvin::LocalService
