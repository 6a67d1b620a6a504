// SPDX-License-Identifier: MIT
// One parse of a page with gumbo, its whole tree in one arena that is released at once.
#pragma once

#include <gumbo.h>

#include <QByteArrayView>

#include <cstddef>
#include <memory>
#include <vector>

namespace Qorvin {

// gumbo makes many small allocations and frees its tree node by node, recursively, which a deeply
// nested page turns into a deep C stack. The arena hands out memory in blocks, ignores single frees
// and drops everything when it goes away, so the tree is never walked to free it. Its standard
// blocks go back to a small per-thread pool, so the next page does not fault in fresh memory.
class GumboArena
{
public:
    GumboArena() = default;
    ~GumboArena();
    GumboArena(const GumboArena&) = delete;
    GumboArena& operator=(const GumboArena&) = delete;

    void* allocate(std::size_t size);

    static void* allocateFor(void* arena, std::size_t size);
    static void deallocateFor(void* arena, void* memory);

private:
    std::vector<std::unique_ptr<std::byte[]>> m_blocks;
    std::vector<std::unique_ptr<std::byte[]>> m_largeBlocks;
    std::byte* m_cursor = nullptr;
    std::size_t m_left = 0;
};

class GumboDocument
{
public:
    // utf8 must outlive this object: the tree points into it.
    explicit GumboDocument(QByteArrayView utf8);

    // The root element, always present (gumbo supplies html, head and body when the page has none).
    const GumboNode* root() const { return m_output ? m_output->root : nullptr; }

private:
    GumboArena m_arena;
    GumboOutput* m_output = nullptr;
};

} // namespace Qorvin
