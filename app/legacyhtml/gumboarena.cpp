// SPDX-License-Identifier: MIT
#include "app/legacyhtml/gumboarena.h"

namespace Qorvin {

namespace {

constexpr std::size_t BlockSize = std::size_t{256} * 1024;
constexpr std::size_t Alignment = alignof(std::max_align_t);

std::size_t alignedSize(std::size_t size)
{
    return (size + Alignment - 1) & ~(Alignment - 1);
}

using Block = std::unique_ptr<std::byte[]>;

// Enough for the tree of a few megabytes of page; a larger page's extra blocks are freed.
constexpr std::size_t PooledBlockLimit = 64;

std::vector<Block>& blockPool()
{
    thread_local std::vector<Block> pool;
    return pool;
}

Block takeBlock()
{
    std::vector<Block>& pool = blockPool();
    if (pool.empty())
        return Block(new std::byte[BlockSize]);
    Block block = std::move(pool.back());
    pool.pop_back();
    return block;
}

} // namespace

GumboArena::~GumboArena()
{
    std::vector<Block>& pool = blockPool();
    for (Block& block : m_blocks) {
        if (pool.size() >= PooledBlockLimit)
            break;
        pool.push_back(std::move(block));
    }
}

void* GumboArena::allocate(std::size_t size)
{
    const std::size_t needed = alignedSize(size == 0 ? 1 : size);
    if (needed > BlockSize / 4) {
        // Large buffers get a block of their own, so the current block keeps serving small ones.
        m_largeBlocks.emplace_back(new std::byte[needed]);
        return m_largeBlocks.back().get();
    }
    if (needed > m_left) {
        m_blocks.push_back(takeBlock());
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
