// SPDX-License-Identifier: MIT
#include "gumboarena.h"

namespace Qorvin {

namespace {

constexpr std::size_t BlockSize = std::size_t{256} * 1024;
constexpr std::size_t Alignment = alignof(std::max_align_t);

std::size_t alignedSize(std::size_t size)
{
    return (size + Alignment - 1) & ~(Alignment - 1);
}

} // namespace

void* GumboArena::allocate(std::size_t size)
{
    const std::size_t needed = alignedSize(size == 0 ? 1 : size);
    if (needed > BlockSize / 4) {
        // Large buffers get a block of their own, so the current block keeps serving small ones.
        m_blocks.emplace_back(new std::byte[needed]);
        return m_blocks.back().get();
    }
    if (needed > m_left) {
        m_blocks.emplace_back(new std::byte[BlockSize]);
        m_cursor = m_blocks.back().get();
        m_left = BlockSize;
    }
    void* memory = m_cursor;
    m_cursor += needed;
    m_left -= needed;
    return memory;
}

void* GumboArena::allocateFor(void* arena, std::size_t size)
{
    return static_cast<GumboArena*>(arena)->allocate(size);
}

void GumboArena::deallocateFor(void*, void*) {}

GumboDocument::GumboDocument(QByteArrayView utf8)
{
    GumboOptions options = kGumboDefaultOptions;
    options.allocator = &GumboArena::allocateFor;
    options.deallocator = &GumboArena::deallocateFor;
    options.userdata = &m_arena;
    // Parse errors are of no use here; not recording them saves time on malformed pages.
    options.max_errors = 0;
    m_output = gumbo_parse_with_options(&options, utf8.data(), static_cast<std::size_t>(utf8.size()));
}

} // namespace Qorvin
